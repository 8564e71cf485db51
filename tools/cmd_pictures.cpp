// vemi-disc pictures: splits a picture stream (BMP files stored back to back, with
// nothing marking where one ends) into numbered 24-bit BMP files, reading it the
// way the menu does, so a stream that the tool takes apart is one the menu can read.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/paths.h"
#include "platform/stream.h"
#include "tools/command.h"

namespace {

constexpr const char* kUsage = "pictures STREAM DIR";

std::string Numbered(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "%03d.bmp", n);
    return name;
}

int RunPictures(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kUsage);
        return 2;
    }
    const std::string& streamPath = args[0];
    const std::string& dir = args[1];
    std::vector<uint8_t> bytes;
    if (!platform::HostReadFile(streamPath, bytes)) return tool::Fail("cannot read " + streamPath);
    if (!platform::HostMakeDirectories(dir)) return tool::Fail("cannot create the folder " + dir);

    platform::MemoryStream in(std::move(bytes));
    int count = 0;
    while (!in.AtEnd()) {
        const size_t offset = in.Position();
        platform::Image img;
        std::string why;
        if (!platform::ReadBmp(in, img, &why)) {
            std::fflush(stdout);
            return tool::Fail("picture " + std::to_string(count + 1) + " at offset " + std::to_string(offset) + ": " + why);
        }
        ++count;
        const std::string name = Numbered(count);
        const std::vector<uint8_t> bmp = platform::EncodeBmp24(img);
        if (!platform::HostWriteFile(dir + "/" + name, bmp.data(), bmp.size())) {
            std::fflush(stdout);
            return tool::Fail("cannot write " + dir + "/" + name);
        }
        std::printf("%s  offset %zu  %d x %d\n", name.c_str(), offset, img.Width(), img.Height());
    }
    std::printf("%d picture%s\n", count, count == 1 ? "" : "s");
    return 0;
}

VEMI_REGISTER_COMMAND("pictures", kUsage,
                      "writes every BMP picture of a picture stream as DIR/001.bmp, 002.bmp, ...", RunPictures);

}  // namespace
