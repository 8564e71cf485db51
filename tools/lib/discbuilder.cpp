#include "tools/lib/discbuilder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/text.h"
#include "tools/lib/artwork.h"
#include "tools/lib/discsource.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/ndtwriter.h"
#include "tools/lib/rootfiles.h"
#include "tools/lib/screenshots.h"
#include "tools/lib/zipwriter.h"

namespace tool {

namespace fs = std::filesystem;

namespace {

// Left in the root of every disc this tool builds, so that a second build may
// empty the folder without risking anybody's other files.
constexpr const char* kMarker = ".vemi-disc-build";
constexpr int kJpegQuality = 88;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

std::string ReadText(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    if (!f) Fail("cannot read " + p.string());
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& p, const void* data, size_t size) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!f) Fail("cannot write " + p.string());
}
void WriteBytes(const fs::path& p, const std::vector<uint8_t>& b) { WriteBytes(p, b.data(), b.size()); }
void WriteBytes(const fs::path& p, const std::string& b) { WriteBytes(p, b.data(), b.size()); }

// Readable and runnable by everybody, whatever the bits of the file it came from.
void MakeRunnable(const fs::path& p) {
    std::error_code ec;
    fs::permissions(p,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    ec);
    if (ec) Fail("cannot make " + p.string() + " executable: " + ec.message());
}

// A disc path as written in a catalogue ("Programy\Gry\Kulki.zip") as a path
// below the source's disc folder.
fs::path DiscPath(const fs::path& discDir, const std::string& field) {
    std::string rel = field;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    while (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
    return discDir / fs::path(rel);
}

bool IsZipName(const std::string& s) {
    return s.size() > 4 && platform::UpperCp1250(s.substr(s.size() - 4)) == ".ZIP";
}

bool IsAddress(const std::string& s) { return platform::StartsWith(platform::UpperCp1250(s), "HTTP://"); }

// ---- screenshots ----

bool ParseSize(const std::string& s, int& w, int& h) {
    size_t x = s.find('x');
    if (x == std::string::npos) return false;
    try {
        size_t a = 0, b = 0;
        w = std::stoi(s.substr(0, x), &a);
        h = std::stoi(s.substr(x + 1), &b);
        return a == x && b == s.size() - x - 1 && w >= 16 && h >= 16 && w <= 4096 && h <= 4096;
    } catch (const std::exception&) {
        return false;
    }
}

// A name that stays inside CDInst/JPS and CDInst/JPG and is written as read: no
// folder separators, no control characters (a NUL would cut the name short when the
// file is made), and neither "." nor "..". A comma would split it in the catalogue.
bool PlainFileName(const std::string& name) {
    if (name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ',') return false;
    return true;
}

uint32_t NameSeed(const std::string& s) {
    uint32_t h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
}

std::vector<std::string> SplitPictures(const std::string& field) {
    // The menu splits at commas and skips empty names; names are taken as written.
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= field.size()) {
        size_t c = field.find(',', pos);
        if (c == std::string::npos) c = field.size();
        if (c > pos) out.push_back(field.substr(pos, c - pos));
        pos = c + 1;
    }
    return out;
}

// ---- checking the catalogue against the files ----

void CheckRecords(const CatalogueSource& src, const fs::path& sourceDir, const std::map<std::string, PictureLine>& pictures) {
    const fs::path discDir = sourceDir / "disc";
    for (const SourceRecord& r : src.records) {
        auto fault = [&](const std::string& what) {
            Fail("catalogue.txt line " + std::to_string(r.sourceLine) + " (" + r.fields[0] + "): " + what);
        };
        for (const std::string& name : SplitPictures(r.fields[4]))
            if (!pictures.count(name)) fault("the picture \"" + name + "\" is not in screenshots.txt");
        const std::string& info = r.fields[5];
        if (!info.empty() && !platform::StartsWith(info, "VISTA_OK") && !fs::is_regular_file(sourceDir / "txt" / fs::path(info)))
            fault("no information file txt/" + info);
        const std::string& folder = r.fields[1];
        if (folder.empty()) continue;
        fs::path where = DiscPath(discDir, folder);
        if (!fs::is_directory(where)) fault("no folder disc/" + folder + (IsZipName(folder) ? " to pack" : ""));
        for (int f : {2, 3}) {
            const std::string& file = r.fields[f];
            if (file.empty() || file[0] == '^' || IsAddress(file)) continue;
            if (!fs::is_regular_file(DiscPath(where, file)))
                fault(std::string(f == 2 ? "setup" : "run") + " file \"" + file + "\" is not in disc/" + folder);
        }
    }
}

// ---- copying the disc folder ----

std::string ZipMemberName(const fs::path& rel) {
    // Archives of the disc carry their names in the OEM code page, as the DOS and
    // Windows packers of the time wrote them.
    const std::string name = rel.generic_string();
    const std::string cp = platform::Utf8ToCp1250(name);
    const std::string oem = platform::Cp1250ToOem852(cp);
    if (platform::Cp1250ToUtf8(platform::Oem852ToCp1250(oem)) != name)
        Fail("the file name \"" + name + "\" cannot be stored in a ZIP archive of the disc (OEM 852)");
    return oem;
}

void PackFolder(const fs::path& folder, const fs::path& archive) {
    std::vector<fs::path> entries;
    for (const auto& e : fs::recursive_directory_iterator(folder)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    fs::create_directories(archive.parent_path());
    ZipWriter zip(archive.string());
    for (const fs::path& p : entries) {
        fs::path rel = fs::relative(p, folder);
        std::error_code ec;
        const fs::file_status st = fs::status(p, ec);
        if (ec) Fail("cannot read " + p.string());
        ZipMemberOptions o;
        o.versionMadeBy = (3 << 8) | 20;
        o.dosDate = ZipWriter::DosDate(2007, 11, 20);
        o.dosTime = ZipWriter::DosTime(12, 0, 0);
        const uint32_t mode = static_cast<uint32_t>(st.permissions()) & 0777;
        if (fs::is_directory(p)) {
            o.externalAttrs = ((040000u | mode) << 16) | 0x10;
            o.method = 0;
            zip.Add(ZipMemberName(rel) + "/", "", o);
        } else {
            o.externalAttrs = ((0100000u | mode) << 16) | 0x20;
            std::string data = ReadText(p);
            zip.Add(ZipMemberName(rel), data, o);
        }
    }
    zip.Finish();
}

void CopyDiscFolder(const fs::path& from, const fs::path& to, BuildSummary& sum) {
    fs::create_directories(to);
    std::vector<fs::directory_entry> entries{fs::directory_iterator(from), fs::directory_iterator()};
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });
    for (const auto& e : entries) {
        const fs::path target = to / e.path().filename();
        if (e.is_directory()) {
            if (IsZipName(e.path().filename().string())) {
                PackFolder(e.path(), target);
                ++sum.archives;
            } else {
                CopyDiscFolder(e.path(), target, sum);
            }
        } else if (e.is_regular_file()) {
            fs::copy_file(e.path(), target, fs::copy_options::overwrite_existing);
            // Keep the execute bits: the programs on the sample disc are scripts.
            fs::permissions(target, fs::status(e.path()).permissions() | fs::perms::owner_read | fs::perms::owner_write);
            ++sum.files;
        }
    }
}

// ---- the output folder ----

void PrepareOutput(const fs::path& out) {
    if (!fs::exists(out)) {
        fs::create_directories(out);
    } else {
        if (!fs::is_directory(out)) Fail(out.string() + " is not a folder");
        bool empty = fs::directory_iterator(out) == fs::directory_iterator();
        if (!empty && !fs::exists(out / kMarker))
            Fail(out.string() + " holds files of its own; give an empty folder or one that vemi-disc built");
        for (const auto& e : fs::directory_iterator(out)) fs::remove_all(e.path());
    }
    WriteBytes(out / kMarker, std::string("built by vemi-disc build\n"));
}

std::string InfoFileText(const fs::path& p) {
    std::string utf8 = ReadText(p);
    std::string cp = platform::Utf8ToCp1250(utf8);
    if (platform::Cp1250ToUtf8(cp) != utf8) Fail(p.filename().string() + ": text that Windows-1250 cannot hold");
    // Notepad of the time wanted CR LF.
    std::string out;
    for (size_t i = 0; i < cp.size(); ++i) {
        if (cp[i] == '\n' && (i == 0 || cp[i - 1] != '\r')) out += '\r';
        out += cp[i];
    }
    return out;
}

}  // namespace

std::map<std::string, PictureLine> ParsePictureList(std::string_view text, const std::string& fileName) {
    std::map<std::string, PictureLine> out;
    std::istringstream in{std::string(text)};
    std::string line;
    int no = 0;
    auto fault = [&](const std::string& what) { Fail(fileName + " line " + std::to_string(no) + ": " + what); };
    while (std::getline(in, line)) {
        ++no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        std::string scene, small, large;
        PictureLine p;
        words >> p.name >> scene >> small >> large;
        std::getline(words, p.recipe.title);
        p.recipe.title.erase(0, std::min(p.recipe.title.size(), p.recipe.title.find_first_not_of(" \t")));
        if (large.empty()) fault("expected: name scene WxH WxH caption");
        if (!art::SceneFromName(scene, p.recipe.scene)) fault("unknown scene \"" + scene + "\"");
        if (!ParseSize(small, p.smallW, p.smallH) || !ParseSize(large, p.largeW, p.largeH)) fault("sizes are written WxH, each side from 16 to 4096");
        if (!PlainFileName(p.name)) fault("a picture name is a plain file name");
        p.recipe.seed = NameSeed(p.name);
        if (!out.emplace(p.name, p).second) fault("\"" + p.name + "\" listed twice");
    }
    return out;
}

std::vector<platform::Image> PictureStreamImages() {
    const art::SkinPalette pal = art::PaletteFromFonts(MenuFontRoles());
    std::vector<platform::Image> all = art::DrawButtonPictures(pal);
    for (int height : {art::kListBarHeight, art::kTextBarHeight})
        for (auto& img : art::DrawScrollBarPictures(pal, height)) all.push_back(std::move(img));
    return all;
}

std::vector<uint8_t> PictureStream() {
    std::vector<uint8_t> stream;
    for (const platform::Image& img : PictureStreamImages()) {
        std::vector<uint8_t> bmp = platform::EncodeBmp24(img);
        stream.insert(stream.end(), bmp.begin(), bmp.end());
    }
    return stream;
}

// What the licences of the libraries linked into the Linux menu program ask its
// users to be told: FLTK that the program uses it, the IJG code in libjpeg-turbo
// the sentence it prescribes, libdeflate its copyright and permission notice whole.
// (zlib comes from the reader's system, and the C++ runtime asks for nothing.)
const char* const kLinuxProgramNotices =
    "vemi32 – menu płyty VEMI dla Linuksa\n"
    "\n"
    "W plik programu są wbudowane biblioteki innych autorów. Ich licencje wymagają\n"
    "poniższych informacji.\n"
    "\n"
    "\n"
    "FLTK (interfejs okien), licencja GNU LGPL 2 z wyjątkami FLTK\n"
    "\n"
    "vemi32 is based in part on the work of the FLTK project (http://www.fltk.org).\n"
    "\n"
    "\n"
    "libjpeg-turbo (odczyt obrazów JPEG), licencja IJG\n"
    "\n"
    "This software is based in part on the work of the Independent JPEG Group.\n"
    "\n"
    "\n"
    "libdeflate (rozpakowywanie archiwów ZIP), licencja MIT\n"
    "\n"
    "Copyright 2016, 2018 Eric Biggers\n"
    "\n"
    "Permission is hereby granted, free of charge, to any person obtaining a copy of\n"
    "this software and associated documentation files (the \"Software\"), to deal in\n"
    "the Software without restriction, including without limitation the rights to\n"
    "use, copy, modify, merge, publish, distribute, sublicense, and/or sell copies of\n"
    "the Software, and to permit persons to whom the Software is furnished to do so,\n"
    "subject to the following conditions:\n"
    "\n"
    "The above copyright notice and this permission notice shall be included in all\n"
    "copies or substantial portions of the Software.\n"
    "\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR\n"
    "IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS\n"
    "FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR\n"
    "COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER\n"
    "IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN\n"
    "CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.\n";

BuildSummary BuildDisc(const std::string& sourceDirName, const std::string& outDirName, const std::vector<std::string>& programs) {
    const fs::path sourceDir = fs::path(sourceDirName), out = fs::path(outDirName);
    BuildSummary sum;
    std::vector<std::pair<std::string, MenuSystem>> menus;
    for (const std::string& program : programs) {
        if (!fs::is_regular_file(program)) Fail("the menu program " + program + " is not a file");
        // Emptying the output folder would delete it before it is copied.
        const fs::path p = fs::weakly_canonical(program), o = fs::weakly_canonical(out);
        if (std::mismatch(o.begin(), o.end(), p.begin(), p.end()).first == o.end())
            Fail("the menu program " + program + " lies inside the disc being built");
        const MenuSystem system = SystemOfProgramFile(program);
        if (system == MenuSystem::Unknown) Fail("the menu program " + program + " is neither a Linux nor a Windows program");
        for (const auto& [other, otherSystem] : menus)
            if (otherSystem == system)
                Fail("the menu programs " + other + " and " + program + " are both " +
                     (system == MenuSystem::Windows ? "Windows" : "Linux") + " programs; a disc takes one for each system");
        menus.emplace_back(program, system);
    }

    // Read and check everything first: a fault in the sources leaves the output alone.
    CatalogueSource src;
    try {
        src = ParseCatalogueSource(ReadText(sourceDir / "catalogue.txt"));
    } catch (const SourceError& e) {
        Fail(std::string("catalogue.txt ") + e.what());
    }
    const std::map<std::string, PictureLine> pictures = ParsePictureList(ReadText(sourceDir / "screenshots.txt"));
    CheckRecords(src, sourceDir, pictures);
    const std::vector<std::string> mainLines = MainCatalogueLines(src);
    const std::vector<std::string> alphaLines = AlphabeticalCatalogueLines(src);

    PrepareOutput(out);
    const fs::path dat = out / "CDInst" / "Dat", prg = out / "CDInst" / "Prg";
    WriteBytes(dat / "main.ndt", WriteCatalogue(mainLines));
    WriteBytes(dat / "mains.ndt", WriteCatalogue(alphaLines));
    sum.records = static_cast<int>(src.records.size());
    sum.alphabetical = static_cast<int>((alphaLines.size() - 11) / 16);
    for (const auto& r : src.records) sum.programs += r.fields[14] == "11";

    // The resource archives: the member is deflated, as the menu's reader expects.
    auto pack = [&](const char* archive, const char* member, const std::vector<uint8_t>& bytes) {
        ZipWriter zip;
        zip.Add(member, bytes);
        WriteBytes(prg / archive, zip.Finish());
    };
    pack("fdata.jxz", "fdata.jxs", CompileMenuFontStream());
    pack("bdata.jxz", "bdata.jxs", PictureStream());
    WriteBytes(prg / "RSMALL.JPG", platform::EncodeJpeg(art::DrawGenericPreview(256, 192), kJpegQuality));
    WriteBytes(prg / "RLARGE.JPG", platform::EncodeJpeg(art::DrawGenericPreview(1024, 768), kJpegQuality));

    for (const auto& [name, p] : pictures) {
        WriteBytes(out / "CDInst" / "JPS" / fs::path(name),
                   platform::EncodeJpeg(art::DrawScreenshot(p.recipe, p.smallW, p.smallH), kJpegQuality));
        WriteBytes(out / "CDInst" / "JPG" / fs::path(name),
                   platform::EncodeJpeg(art::DrawScreenshot(p.recipe, p.largeW, p.largeH), kJpegQuality));
        ++sum.pictures;
    }

    if (fs::is_directory(sourceDir / "txt"))
        for (const auto& e : fs::directory_iterator(sourceDir / "txt"))
            if (e.is_regular_file()) {
                WriteBytes(out / "CDInst" / "TXT" / e.path().filename(), InfoFileText(e.path()));
                ++sum.infoFiles;
            }

    if (fs::is_directory(sourceDir / "disc")) CopyDiscFolder(sourceDir / "disc", out, sum);

    // Last, so that the programs built for this disc win over any copy in disc/.
    for (const auto& [program, system] : menus) {
        const std::string name = MenuNameOnDisc(system);
        sum.menus.push_back(name);
        const fs::path target = out / name;
        std::error_code ec;
        fs::copy_file(program, target, fs::copy_options::overwrite_existing, ec);
        if (ec) Fail("cannot copy " + program + " to " + target.string() + ": " + ec.message());
        MakeRunnable(target);
        if (system == MenuSystem::Windows) {
            // A Windows disc starts its menu by itself when it goes in, with the
            // menu's icon on the drive, as a pressed disc does.
            WriteBytes(out / std::string(kAutorunInfName), AutorunText());
        } else {
            // A Linux desktop offers to start it when the disc is mounted.
            const fs::path script = out / std::string(kAutostartName);
            WriteBytes(script, AutostartScript());
            MakeRunnable(script);
            WriteBytes(out / "vemi32-licencje.txt", std::string(kLinuxProgramNotices));
        }
    }
    return sum;
}

}  // namespace tool
