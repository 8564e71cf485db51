// vemi-disc build: makes a whole disc from its readable sources.
// vemi-disc resources: writes the C++ source that carries the program's own
// pictures (the skins, the update notice, the hand cursor, the banners) into the
// executable.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "tools/command.h"
#include "tools/lib/artwork.h"
#include "tools/lib/banners.h"
#include "tools/lib/discbuilder.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/icon.h"

namespace {

constexpr const char* kBuildUsage = "build [--program FILE [--program FILE] | --no-program] SRC OUT";
constexpr const char* kResourcesUsage = "resources OUT.cpp";

// The menu program that the build this tool belongs to made, if it made one.
#ifdef VEMI_BUILT_PROGRAM
constexpr const char* kBuiltProgram = VEMI_BUILT_PROGRAM;
#else
constexpr const char* kBuiltProgram = "";
#endif

int BuildUsage() {
    std::fprintf(stderr, "usage: vemi-disc %s\n", kBuildUsage);
    return 2;
}

int RunBuild(const std::vector<std::string>& args) {
    std::vector<std::string> paths, programs;
    bool noProgram = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-program") {
            if (noProgram) return BuildUsage();
            noProgram = true;
        } else if (args[i] == "--program") {
            if (i + 1 == args.size()) return BuildUsage();
            programs.push_back(args[++i]);
        } else if (args[i].rfind("--program=", 0) == 0) {
            programs.push_back(args[i].substr(10));
        } else if (args[i].rfind("--", 0) == 0) {
            return BuildUsage();
        } else {
            paths.push_back(args[i]);
        }
    }
    // One program for each system at most; which is which the builder reads from
    // the files.
    if (paths.size() != 2 || programs.size() > 2 || (!programs.empty() && noProgram)) return BuildUsage();
    for (const std::string& p : programs)
        if (p.empty()) return BuildUsage();
    if (programs.empty() && !noProgram) {
        std::error_code ec;
        if (*kBuiltProgram && std::filesystem::is_regular_file(kBuiltProgram, ec))
            programs.push_back(kBuiltProgram);
        else
            std::fprintf(stderr, "vemi-disc: no menu program built%s%s; the disc gets none (give one with --program FILE)\n",
                         *kBuiltProgram ? " at " : "", kBuiltProgram);
    }
    tool::BuildSummary s = tool::BuildDisc(paths[0], paths[1], programs);
    std::string menus = s.menus.empty() ? "no menu program" : s.menus.size() == 1 ? "menu program " : "menu programs ";
    for (size_t i = 0; i < s.menus.size(); ++i) menus += (i ? " and " : "") + s.menus[i] + " from " + programs[i];
    std::printf("%s: %d records (%d programs), %d in the alphabetical list, %d pictures, %d information files, "
                "%d archives, %d other files, %s\n",
                paths[1].c_str(), s.records, s.programs, s.alphabetical, s.pictures, s.infoFiles, s.archives, s.files, menus.c_str());
    return 0;
}

struct Resource {
    const char* type;
    const char* name;
    std::vector<uint8_t> data;
};

// The skins are pictures with fine lines and solid panels that the program's
// fonts are smoothed against; a high quality keeps those panels clean.
constexpr int kSkinQuality = 95;

// On Linux the desktop takes a program's icon from its windows, so the program
// carries the pictures the Windows icon file holds.
std::vector<art::IconPicture> ProgramIconPictures() {
    std::vector<art::IconPicture> out;
    for (int s : art::IconSizes()) out.push_back(art::DrawProgramIcon(s));
    return out;
}

std::vector<Resource> ProgramResources() {
    const art::SkinPalette pal = art::PaletteFromFonts(tool::MenuFontRoles());
    art::HandCursor hand = art::DrawHandCursor();
    std::vector<Resource> out = {
        {"JPEG", "TLO_IM1", platform::EncodeJpeg(art::DrawCoverSkin(pal), kSkinQuality)},
        {"JPEG", "TLO_IM2", platform::EncodeJpeg(art::DrawProgramSkin(pal), kSkinQuality)},
        {"BMP", "NWFTPIM", platform::EncodeBmp24(art::DrawUpdateNotice(pal))},
        {"BMP", "INSTHDR", platform::EncodeBmp24(art::DrawInstallerPicture())},
        {"CURSOR", "RACZKA", platform::EncodeBmp24(hand.picture)},
        {"CURSOR", "RACZKA_MASK", platform::EncodeBmp24(hand.mask)},
        {"CURSOR", "RACZKA_HOTSPOT", {static_cast<uint8_t>(hand.hotX), static_cast<uint8_t>(hand.hotY)}},
        {"ICON", "VEMI32", platform::EncodeIconResource(ProgramIconPictures())},
    };
    // The banners: bitmaps, except the subscription offer, whose movie this build
    // cannot play; the menu shows its picture, stored under "S_" as a JPEG.
    for (size_t i = 0; i < art::BannerSlots().size(); ++i) {
        const char* name = art::BannerSlots()[i].name;
        platform::Image pic = art::DrawBanner(static_cast<int>(i) + 1, pal);
        if (i == 5)
            out.push_back({"JPEG", "S_banner6", platform::EncodeJpeg(pic, art::kBannerJpegQuality)});
        else
            out.push_back({"BMP", name, platform::EncodeBmp24(pic)});
    }
    return out;
}

std::string ResourceSource(const std::vector<Resource>& resources) {
    std::string out =
        "// Written by `vemi-disc resources`: the program's own pictures, drawn by the tool's\n"
        "// artwork code. Change that code and rebuild rather than editing this file.\n"
        "#include <cstddef>\n#include <cstdint>\n#include <iterator>\n\n"
        "#include \"platform/resources.h\"\n#include \"program_resources.h\"\n\nnamespace {\n\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        out += "const uint8_t kData" + std::to_string(i) + "[] = {  // " + resources[i].type + " " + resources[i].name + "\n";
        const std::vector<uint8_t>& d = resources[i].data;
        for (size_t k = 0; k < d.size(); ++k) {
            out += std::to_string(d[k]);
            out += k + 1 == d.size() ? "\n" : (k % 24 == 23 ? ",\n" : ",");
        }
        out += "};\n\n";
    }
    out += "const platform::ResourceEntry kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i)
        out += std::string("    {\"") + resources[i].type + "\", \"" + resources[i].name + "\", kData" + std::to_string(i) +
               ", sizeof kData" + std::to_string(i) + "},\n";
    out += "};\n\n}  // namespace\n\n"
           "void RegisterProgramResources() { platform::RegisterResources(kEntries, std::size(kEntries)); }\n";
    return out;
}

int RunResources(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kResourcesUsage);
        return 2;
    }
    const std::string source = ResourceSource(ProgramResources());
    // Write beside and rename, so an interrupted run never leaves half a file that
    // the build would then take as up to date.
    const std::string temp = args[0] + ".part";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << source;
        if (!f) return tool::Fail("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), args[0].c_str()) != 0) return tool::Fail("cannot write " + args[0]);
    return 0;
}

VEMI_REGISTER_COMMAND("build", kBuildUsage,
                      "build a disc from readable sources (catalogue.txt, screenshots.txt, txt/, disc/) into OUT, which must "
                      "be missing, empty or a disc built before. The menu programs go to the disc's root: the one built "
                      "with this tool, or those given with --program, once for each system (the file tells which: ELF or "
                      "a script for Linux, PE for Windows); none with --no-program. A Linux program becomes vemi32, with "
                      "the desktops' autostart script `autorun` and the licence notes beside it; a Windows program "
                      "becomes vemi32.exe, with autorun.inf. A disc with both serves readers of both systems",
                      RunBuild);
VEMI_REGISTER_COMMAND("resources", kResourcesUsage,
                      "write the C++ source of the program's own resources: the skins TLO_IM1 and TLO_IM2 (JPEG), the "
                      "update notice NWFTPIM (BMP), the installer's header picture INSTHDR (BMP), the hand cursor RACZKA with its mask and hot spot, the banners banner1 to "
                      "banner7 (BMP) with the subscription offer as the picture S_banner6 (JPEG)",
                      RunResources);

}  // namespace
