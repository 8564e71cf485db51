// jpeg_refs OUT-DIR: writes JPEG files of every kind the menu may meet (baseline
// with each chroma sampling, progressive, greyscale, restart markers, odd sizes,
// optimised tables) together with libjpeg's own decoding of each as a 24-bit BMP,
// and one CMYK file that must be refused.
// The Windows build decodes the same files with the system's imaging component
// and compares; it runs this program from the native build, which has libjpeg.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/bmp.h"
#include "platform/image.h"
#include "platform/jpeg.h"
#include "platform/paths.h"

namespace {

using platform::Image;

// Something like a photograph: smooth light, hard edges, fine texture.
Image Scene(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            int r = int(40 + 180 * u), g = int(60 + 150 * v), b = int(120 + 100 * std::sin(6.0 * u * v));
            if ((x / 9 + y / 7) % 5 == 0) r = 250, g = 240, b = 30;  // hard-edged patches
            if (std::hypot(x - w * 0.6, y - h * 0.4) < h * 0.25) r = 200, g = 20, b = 40;
            const int grain = ((x * 7919 + y * 104729) % 17) - 8;
            img.SetPixel(x, y, {uint8_t(std::clamp(r + grain, 0, 255)), uint8_t(std::clamp(g + grain, 0, 255)),
                                uint8_t(std::clamp(b + grain, 0, 255))});
        }
    return img;
}

struct Kind {
    const char* name;
    int w, h;
    int quality;
    int hSample, vSample;  // of the luminance; the chroma is 1 x 1
    bool grey, progressive, optimise;
    int restartRows;
};

std::vector<uint8_t> Encode(const Image& img, const Kind& k) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long len = 0;
    jpeg_mem_dest(&c, &buf, &len);
    c.image_width = JDIMENSION(img.Width());
    c.image_height = JDIMENSION(img.Height());
    c.input_components = k.grey ? 1 : 3;
    c.in_color_space = k.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, k.quality, TRUE);
    if (!k.grey) {
        c.comp_info[0].h_samp_factor = k.hSample;
        c.comp_info[0].v_samp_factor = k.vSample;
    }
    if (k.progressive) jpeg_simple_progression(&c);
    c.optimize_coding = k.optimise ? TRUE : FALSE;
    c.restart_in_rows = k.restartRows;
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(img.Width()) * 3);
    while (c.next_scanline < c.image_height) {
        const uint8_t* src = img.Row(int(c.next_scanline));
        if (k.grey)
            for (int x = 0; x < img.Width(); ++x) row[size_t(x)] = uint8_t((src[3 * x] * 3 + src[3 * x + 1] * 5 + src[3 * x + 2] * 2) / 10);
        else
            row.assign(src, src + row.size());
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(buf, buf + len);
    std::free(buf);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: jpeg_refs OUT-DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (!platform::HostMakeDirectories(dir)) {
        std::fprintf(stderr, "jpeg_refs: cannot create %s\n", dir.c_str());
        return 1;
    }
    const Kind kinds[] = {
        {"baseline-420", 64, 48, 90, 2, 2, false, false, false, 0},
        {"odd-size-420", 97, 61, 75, 2, 2, false, false, false, 0},
        {"baseline-444", 80, 56, 95, 1, 1, false, false, false, 0},
        {"baseline-422", 50, 40, 85, 2, 1, false, false, false, 0},
        {"progressive", 120, 90, 80, 2, 2, false, true, false, 0},
        {"greyscale", 33, 17, 90, 1, 1, true, false, false, 0},
        {"restart-markers", 64, 64, 85, 2, 2, false, false, false, 1},
        {"optimised", 72, 40, 60, 2, 2, false, false, true, 0},
        {"low-quality", 100, 75, 15, 2, 2, false, false, false, 0},
    };
    for (const Kind& k : kinds) {
        const std::vector<uint8_t> jpeg = Encode(Scene(k.w, k.h), k);
        Image decoded;
        std::string why;
        if (!platform::DecodeJpeg(jpeg.data(), jpeg.size(), decoded, &why)) {
            std::fprintf(stderr, "jpeg_refs: %s does not decode: %s\n", k.name, why.c_str());
            return 1;
        }
        const std::vector<uint8_t> bmp = platform::EncodeBmp24(decoded);
        if (!platform::HostWriteFile(dir + "/" + k.name + ".jpg", jpeg.data(), jpeg.size()) ||
            !platform::HostWriteFile(dir + "/" + k.name + ".bmp", bmp.data(), bmp.size())) {
            std::fprintf(stderr, "jpeg_refs: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    // A CMYK picture, which no decoder of the menu's takes: only the file.
    {
        jpeg_compress_struct c{};
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        unsigned char* buf = nullptr;
        unsigned long len = 0;
        jpeg_mem_dest(&c, &buf, &len);
        c.image_width = 16, c.image_height = 8, c.input_components = 4, c.in_color_space = JCS_CMYK;
        jpeg_set_defaults(&c);
        jpeg_start_compress(&c, TRUE);
        std::vector<uint8_t> row(16 * 4, 128);
        while (c.next_scanline < c.image_height) {
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&c, &p, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        const bool ok = platform::HostWriteFile(dir + "/refused-cmyk.jpg", buf, len);
        std::free(buf);
        if (!ok) return 1;
    }
    return 0;
}
