#include "tools/lib/disccheck.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"
#include "install/Jxshellutils.h"
#include "install/Zipreaderu.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "tools/lib/discfiles.h"
#include "tools/lib/isolayout.h"
#include "tools/lib/programcheck.h"
#include "tools/lib/rootfiles.h"
#include "widgets/Cjxfontfileu.h"
#include "widgets/Cjxscrollbaru.h"
#include "widgets/Cjxtextscrbaru.h"

namespace tool {

namespace {

namespace fs = std::filesystem;
using discpaths::OnDisc;

// The disc is drive D:, as for the menu.
const std::string kRoot = "D:";
// The menu programs at the root: the Linux one, and the Windows one when there is one.
constexpr std::string_view kLinuxProgram = "\\vemi32";
constexpr std::string_view kWindowsProgram = "\\vemi32.exe";
// Anything bigger is not the menu; it is not read into memory.
constexpr uint64_t kLargestProgramFile = 256u << 20;
// Nor is a catalogue, a resource archive or a screenshot of more than this.
constexpr uint64_t kLargestReadWhole = 256u << 20;

// What burners and the machines reading the disc put up with.
constexpr size_t kLongestPath = 255;
constexpr int kDeepestIsoLevel = 8;  // the root is level 1
constexpr uint64_t kLargestIsoFile = 0xFFFFFFFFu;

std::string Utf8(std::string_view cp1250) { return platform::Cp1250ToUtf8(cp1250); }

// Host paths are UTF-8; std::filesystem takes plain strings in the narrow code
// page of the C runtime, which on Windows need not be UTF-8.
fs::path HostPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// A reader's message in UTF-8, with disc paths shown from the root like the others.
std::string Message(const std::string& cp1250) {
    std::string s = cp1250;
    for (size_t at; (at = s.find(kRoot + "\\")) != std::string::npos;) s.erase(at, kRoot.size());
    return Utf8(s);
}

// An archive member as a disc maker reads it: its exact name, which may hold letters
// Windows-1250 lacks (two Japanese names are two names, not "??.txt" twice). A
// name at fault for its characters is shown as the program shows it, with "?" for
// what it cannot show, and one of absurd length is cut short.
std::string MemberName(const TJXZipEntry& e, ZipErrorKind fault) {
    std::string name = fault == ZipErrorKind::UnsafeName || e.hostName.empty() ? Utf8(TJXZipReader::ShownName(e.name))
                                                                               : e.hostName;
    std::replace(name.begin(), name.end(), '/', '\\');
    constexpr size_t kShown = 120;
    if (name.size() > kShown) {
        size_t cut = kShown;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name = name.substr(0, cut) + "... (" + std::to_string(name.size()) + " bytes)";
    }
    return name;
}

// A disc path as a disc maker reads it: "\Gry\Kulki.zip".
std::string Shown(const std::string& winPath) {
    std::string rest = winPath.compare(0, kRoot.size(), kRoot) == 0 ? winPath.substr(kRoot.size()) : winPath;
    return Utf8(rest.empty() ? "\\" : rest);
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A path inside an archive or below a folder in one spelling: separators alike,
// "." and empty parts dropped, ".." taken back, letters upper-cased; so a run file
// named in the catalogue meets the member the installer unpacks under its name.
std::string FoldedPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string cur;
    auto flush = [&] {
        if (cur == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!cur.empty() && cur != ".") {
            parts.push_back(platform::UpperCp1250(cur));
        }
        cur.clear();
    };
    for (char c : path) {
        if (c == '/' || c == '\\') flush();
        else cur += c;
    }
    flush();
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : "\\") + p;
    return out;
}

// How many names a picture field holds, before the menu's limit of ten.
int NamedPictures(const std::string& field4) {
    int n = 0;
    size_t pos = 0;
    while (pos <= field4.size()) {
        size_t comma = field4.find(',', pos);
        if (comma == std::string::npos) comma = field4.size();
        n += comma > pos;
        pos = comma + 1;
    }
    return n;
}

bool IsProgram(const CJXNdt4File& work, int r) {
    try {
        return CatalogueLineToInt(work.GetField(r, 14)) == 11;
    } catch (const EJXCatalogueError&) {
        return false;
    }
}

bool IsReservedOnWindows(const std::string& cp1250Name) {
    std::string base = platform::UpperCp1250(cp1250Name.substr(0, cp1250Name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

class Checker {
public:
    explicit Checker(const std::function<void(const CheckFinding&)>& sink) : sink_(sink) {}

    // What is checked: the disc's files, and the image when they come from one.
    void Read(const DiscFiles* disc, const ImageDiscFiles* image, std::string imageName) {
        disc_ = disc;
        image_ = image;
        imageName_ = std::move(imageName);
    }

    CheckResult result;

    void Catalogue(std::string_view tested, std::string_view path, bool main);
    void Resources();
    void DefaultPictures();
    void LeavingAndBanners();
    void RootPrograms();
    // vemi32.exe at the root: a Windows program; an error when it is required and
    // missing.
    void WindowsProgram(bool required);
    // What makes each system offer the menu when the disc goes in.
    void AutoStart();
    // dir is at `level` of the disc's folders (the root is 1); rel is its path below
    // the root, in Windows-1250 and in UTF-8.
    void Names(const std::string& dir, const std::string& rel, const std::string& relUtf8, int level);
    // What only an image can get wrong: its trees, its size.
    void Image();
    void Finish() { result.counts.infoFiles = static_cast<int>(infoFiles_.size()); }

    void Error(const std::string& subject, const std::string& text) { Add(true, subject, text); }
    void Warning(const std::string& subject, const std::string& text) { Add(false, subject, text); }
    void Info(const std::string& subject, const std::string& text) { Add(false, subject, text, true); }

private:
    struct ArchiveInfo {
        bool readable = false;
        std::set<std::string> members;  // folded paths of the file members
    };

    void Add(bool error, const std::string& subject, const std::string& text, bool info = false) {
        result.findings.push_back({error, subject, text, info});
        if (sink_) sink_(result.findings.back());
    }
    void Record(const CJXNdt4File& work, int r, const std::string& subject);
    void RunFile(const std::string& subject, const std::string& folder, const std::string& name, const char* what,
                 bool caretMeansNone);
    // A warning when the installer has to rename what it makes from a program's name.
    void InstalledNames(const std::string& name, const std::string& subject);
    std::string Look(const std::string& winPath, bool decode);
    ArchiveInfo& Archive(const std::string& winPath, const std::string& subject);
    bool Stream(std::string_view archive, std::string_view member, platform::MemoryStream& out, std::string& subject);
    void Fonts(platform::MemoryStream& s, const std::string& subject);
    void Pictures(platform::MemoryStream& s, const std::string& subject);
    // The Rock Ridge and Joliet trees side by side: rrPath and jolietPath are the
    // folders' disc paths in each.
    void SameNames(const ImageNode& rr, const ImageNode& joliet, const std::string& rrPath, const std::string& jolietPath);
    void JolietLengths(const ImageNode& joliet, const std::string& path);

    const DiscFiles* disc_ = nullptr;
    const ImageDiscFiles* image_ = nullptr;
    std::string imageName_;
    std::function<void(const CheckFinding&)> sink_;
    std::set<std::string> seenRecords_;                 // records already checked, by content
    std::unordered_map<std::string, std::string> pictures_;  // disc path -> why it does not decode
    std::set<std::string> infoFiles_;
    std::unordered_map<std::string, ArchiveInfo> archives_;  // disc path -> what it holds
    int withoutPictures_ = 0;
};

// ---- catalogues and their records ----

void Checker::Catalogue(std::string_view tested, std::string_view path, bool main) {
    const std::string file = OnDisc(kRoot, path);
    const std::string subject = Utf8(platform::ExtractFileName(file));
    if (!disc_->IsFile(OnDisc(kRoot, tested))) {
        Error(Shown(file), "is missing: the menu stops with DISK READ ERROR");
        return;
    }
    ++result.counts.catalogues;
    CJXNdt4File raw, work;
    std::vector<uint8_t> bytes;
    std::string why;
    if (!disc_->ReadAll(disc_->Locate(file), bytes, kLargestReadWhole, &why)) {
        Error(subject, "cannot be read, the menu stops at start-up: the file " + why);
        return;
    }
    try {
        raw.LoadFromBytes(bytes);
    } catch (const EJXCatalogueError& e) {
        Error(subject, std::string("cannot be read, the menu stops at start-up: ") + Message(e.what()));
        return;
    }
    // A longer stored line is deciphered only in part, and the key state then runs
    // out of step for every line after it.
    for (int i = 7; i < raw.LineCount(); ++i)
        if (raw.GetLine(i).size() > static_cast<size_t>(kMaxStoredLine)) {
            Error(subject, "line " + std::to_string(i) + " is stored in " + std::to_string(raw.GetLine(i).size()) +
                               " characters, more than the 4095 the menu reads: it and every line after it decipher wrongly");
            break;
        }
    try {
        discpaths::DecodeCatalogue(raw, work);
    } catch (const EJXCatalogueError& e) {
        Error(subject, std::string("cannot be deciphered, the menu stops at start-up: ") + Message(e.what()));
        return;
    }
    if (work.LineCount() < work.firstRecordLine) {
        Error(subject, "ends before its four title lines (lines 7 to 10): the menu stops at start-up");
        return;
    }
    const int announced = work.recordCount;
    const int present = (work.LineCount() - work.firstRecordLine) / work.linesPerRecord;
    if (present < announced)
        Error(subject, "announces " + Plural(announced, "record", "records") + " in line 5 but holds lines for only " +
                           std::to_string(present) + ": the menu stops at start-up");
    if (announced == 0) Warning(subject, "holds no records: the list is empty");
    const int records = std::min(announced, present);
    result.counts.records.push_back(records);
    int previous = -1, programs = 0;
    for (int r = 0; r < records; ++r) {
        const std::string name = "record " + std::to_string(r) + " \"" + Utf8(work.GetField(r, 0)) + "\"";
        const std::string at = subject + " " + name;
        // The control fields are numbers the menu converts; anything else stops it.
        try {
            const int level = CatalogueLineToInt(work.GetField(r, 13));
            if (level < 0 || level > 7) {
                Error(at, "level (field 13) is " + std::to_string(level) + ", outside 0 to 7");
            } else {
                if (previous < 0 && level != 0)
                    Error(at, "the first record has level " + std::to_string(level) + "; the list starts at level 0");
                else if (level > previous + 1)
                    Error(at, "level " + std::to_string(level) + " follows level " + std::to_string(previous) +
                                  ": the list would put the entry under the wrong group");
                previous = level;
            }
        } catch (const EJXCatalogueError&) {
            Error(at, "level (field 13) \"" + Utf8(work.GetField(r, 13)) + "\" is not a number: the menu stops at start-up");
        }
        try {
            programs += CatalogueLineToInt(work.GetField(r, 14)) == 11;
        } catch (const EJXCatalogueError&) {
            Error(at, "type (field 14) \"" + Utf8(work.GetField(r, 14)) + "\" is not a number: the menu stops at start-up");
        }
        // The alphabetical catalogue repeats the main one's records; each is checked once.
        std::string key;
        for (int f = 0; f < 16; ++f)
            if (f != 13) key += work.GetField(r, f) + '\n';
        if (seenRecords_.insert(key).second) Record(work, r, at);
    }
    if (main) result.counts.programs = programs;
}

void Checker::Record(const CJXNdt4File& work, int r, const std::string& subject) {
    const std::string& f1 = work.GetField(r, 1);
    const std::string& f2 = work.GetField(r, 2);
    const std::string& f3 = work.GetField(r, 3);
    const std::string& f4 = work.GetField(r, 4);
    const std::string& f5 = work.GetField(r, 5);
    const std::string program = discpaths::ProgramPath(kRoot, f1);
    const bool zip = discpaths::IsZipPath(program);
    bool there = true;
    if (!f1.empty()) {
        ++result.counts.paths;
        there = zip ? disc_->IsFile(program) : disc_->IsFolder(program);
        if (!there) Error(subject, std::string(zip ? "archive " : "folder ") + Shown(program) + " is missing");
    }
    if (there && zip) {
        // Installing unpacks the archive; the setup file (or, without one, the run file
        // of the shortcut) is then taken from what was unpacked.
        const ArchiveInfo& a = Archive(program, subject);
        const bool setup = !f2.empty();
        const std::string& inside = setup ? f2 : f3;
        if (a.readable && !inside.empty() && inside[0] != '^' && !a.members.count(FoldedPath(inside)))
            Error(subject, std::string(setup ? "setup file " : "run file ") + Utf8(inside) + " is not in the archive " +
                               Shown(program));
    } else if (there) {
        RunFile(subject, program, f3, "run file", true);
        RunFile(subject, program, f2, "setup file", false);
    }
    if (discpaths::NamesInfoFile(f5)) {
        const std::string info = discpaths::InfoPath(kRoot, f5);
        ++result.counts.paths;
        if (!disc_->IsFile(info)) Error(subject, "information file " + Shown(info) + " is missing");
        else infoFiles_.insert(disc_->Locate(info));
    }
    if (!f1.empty() && IsProgram(work, r)) InstalledNames(work.GetField(r, 0), subject);
    std::array<std::string, 10> pictures;
    const int count = discpaths::ParsePictureList(f4, pictures);
    if (count == 0 && IsProgram(work, r)) ++withoutPictures_;
    if (NamedPictures(f4) > 10)
        Warning(subject, "names " + std::to_string(NamedPictures(f4)) + " screenshots; the menu shows only the first ten");
    for (int i = 0; i < count; ++i) {
        // The menu shows the first small picture in its frame and every large one in
        // the viewer; the other small ones belong with them but are never shown.
        const std::string small = discpaths::SmallPictureFolder(kRoot) + pictures[i];
        const std::string large = discpaths::LargePictureFolder(kRoot) + pictures[i];
        if (std::string why = Look(small, true); !why.empty()) {
            if (i == 0) Error(subject, "small screenshot " + Shown(small) + " " + why);
            else Warning(subject, "small screenshot " + Shown(small) + " " + why + " (only the first one is shown)");
        }
        if (std::string why = Look(large, true); !why.empty()) Error(subject, "large screenshot " + Shown(large) + " " + why);
    }
}

void Checker::InstalledNames(const std::string& name, const std::string& subject) {
    // The wizard names the folder it proposes and the shortcut after the program; a
    // name that is no plain file name as it stands (".", "..", dots or blanks at its
    // end, nothing a shortcut may keep) is replaced, which the disc's maker should
    // rather choose.
    const std::string folder = FolderNameForProgram(name);
    auto plain = [](const std::string& s) { return !s.empty() && PlainName(s, "") == s; };
    if (plain(name) && plain(SanitizeName(folder))) return;
    Warning(subject, "is no plain name for the installer's folder and shortcut; they become \"" + Utf8(folder) + "\" and \"" +
                         Utf8(ShortcutFileName(folder)) + "\"");
}

void Checker::RunFile(const std::string& subject, const std::string& folder, const std::string& name, const char* what,
                      bool caretMeansNone) {
    if (name.empty() || (caretMeansNone && name[0] == '^') || discpaths::IsRunAddress(name)) return;
    const std::string path = discpaths::RunPath(folder, name);
    ++result.counts.paths;
    if (!disc_->IsFile(path)) Error(subject, std::string(what) + " " + Shown(path) + " is missing");
}

// "" when the file is there (and, asked to, decodes as a JPEG); otherwise why not.
// Each file is decoded once, however many records name it.
std::string Checker::Look(const std::string& winPath, bool decode) {
    ++result.counts.paths;
    if (!disc_->IsFile(winPath)) return "is missing";
    if (!decode) return {};
    const std::string path = disc_->Locate(winPath);
    auto known = pictures_.find(path);
    if (known != pictures_.end()) return known->second;
    platform::Image img;
    std::vector<uint8_t> bytes;
    std::string error;
    std::string why;
    if (!disc_->ReadAll(path, bytes, kLargestReadWhole, &error)) why = error;
    else if (!platform::DecodeJpeg(bytes.data(), bytes.size(), img, &error))
        why = "does not decode as a JPEG picture" + (error.empty() ? "" : ": " + error);
    ++result.counts.screenshots;
    return pictures_[path] = why;
}

Checker::ArchiveInfo& Checker::Archive(const std::string& winPath, const std::string& subject) {
    const std::string path = disc_->Locate(winPath);
    auto known = archives_.find(path);
    if (known != archives_.end()) return known->second;
    ArchiveInfo& a = archives_[path];
    TJXZipReader zip;
    zip.SetFileName(winPath);
    try {
        // Read where it lies, on the disc or in the image, as the installer reads it.
        const auto entry = disc_->StatTarget(path);
        zip.OpenArchiveFromReader(entry ? entry->size : 0, [&, path](uint64_t offset, void* buf, size_t n) {
            return disc_->ReadAt(path, offset, buf, n);
        });
    } catch (const EJXZipError& e) {
        Error(subject, "archive " + Shown(winPath) + " cannot be opened: " + Message(e.what()));
        return a;
    }
    a.readable = true;
    ++result.counts.archives;
    zip.VerifyMembers([&](const TJXZipFault& f) {
        const std::string name = MemberName(zip.Entries()[f.index], f.kind);
        std::string why = Utf8(f.why);
        if (f.kind == ZipErrorKind::DuplicateName && f.other != SIZE_MAX)
            why = "lands where " + MemberName(zip.Entries()[f.other], f.kind) + " does: the archive holds that name twice";
        Error(subject, "archive " + Shown(winPath) + ": member " + name + " " + why);
    });
    for (const TJXZipEntry& e : zip.Entries()) {
        ++result.counts.members;
        if (e.isFolder) continue;
        result.counts.unpacked += e.uncompressedSize;
        a.members.insert(FoldedPath(e.name));
    }
    return a;
}

// ---- the resource streams ----

bool Checker::Stream(std::string_view archive, std::string_view member, platform::MemoryStream& out, std::string& subject) {
    const std::string folder = OnDisc(kRoot, discpaths::kResourceFolder);
    TJXZipReader zip;
    std::string fault;
    const ResourceFiles files{
        [&](const std::string& winPath, std::vector<uint8_t>& bytes) {
            return disc_->ReadAll(disc_->Locate(winPath), bytes, kLargestReadWhole);
        },
        [&](const std::string& winPath) { return disc_->IsFile(winPath); }};
    const bool loaded = LoadResourceArchive(zip, folder, std::string(archive), std::string(member), out, &fault, files);
    subject = Shown(folder + "\\" + std::string(archive));
    if (!loaded) {
        Error(subject, Message(fault) + "; there is no plain " + std::string(member) + " beside it either");
        return false;
    }
    if (!fault.empty()) {
        Warning(subject, Message(fault) + "; the menu reads the plain " + std::string(member) + " beside it instead");
        subject = Shown(folder + "\\" + std::string(member));
    }
    return true;
}

void Checker::Fonts(platform::MemoryStream& s, const std::string& subject) {
    for (int i = 1; i <= discpaths::kFontRecords; ++i) {
        if (s.AtEnd()) {
            Error(subject, "the font stream ends after " + std::to_string(i - 1) + " of its 11 fonts");
            return;
        }
        CJXFontFile font;
        if (font.Load(s) != 0) {
            Error(subject, "font " + std::to_string(i) + " of 11 is damaged or cut short");
            return;
        }
        ++result.counts.fonts;
    }
    if (!s.AtEnd())
        Error(subject, Plural(s.Remaining(), "byte follows", "bytes follow") +
                           " the eleventh font: the stream does not hold what the menu reads");
}

void Checker::Pictures(platform::MemoryStream& s, const std::string& subject) {
    constexpr int kAll = discpaths::kButtonPictures + 2 * discpaths::kBarPictures;
    auto endedAfter = [&](int n) {
        Error(subject, "the picture stream ends after " + std::to_string(n) + " of its " + std::to_string(kAll) + " pictures");
    };
    // The buttons as the main window reads them, then the two bars with their own loaders.
    for (int i = 1; i <= discpaths::kButtonPictures; ++i) {
        if (s.AtEnd()) return endedAfter(i - 1);
        platform::Image img;
        std::string why;
        if (!platform::ReadBmp(s, img, &why)) {
            Error(subject, "picture " + std::to_string(i) + " (a button) is damaged: " + why);
            return;
        }
        ++result.counts.streamPictures;
    }
    CJXScrollBar listBar;
    CJXTextScrBar textBar;
    JXScrollBarCore* bars[] = {&listBar, &textBar};
    const char* names[] = {"the list's scroll bar", "the description's scroll bar"};
    for (int b = 0; b < 2; ++b) {
        const int first = discpaths::kButtonPictures + b * discpaths::kBarPictures + 1;
        if (s.AtEnd()) return endedAfter(first - 1);
        if (bars[b]->Load(s) != 0) {
            Error(subject, "pictures " + std::to_string(first) + " to " + std::to_string(first + discpaths::kBarPictures - 1) +
                               " (" + names[b] + ") are damaged or cut short");
            return;
        }
        result.counts.streamPictures += discpaths::kBarPictures;
    }
    if (!s.AtEnd())
        Error(subject, Plural(s.Remaining(), "byte follows", "bytes follow") +
                           " the last picture: the stream does not hold what the menu reads");
}

void Checker::Resources() {
    platform::MemoryStream fonts, pictures;
    std::string subject;
    if (Stream(discpaths::kFontArchive, discpaths::kFontMember, fonts, subject)) Fonts(fonts, subject);
    if (Stream(discpaths::kPictureArchive, discpaths::kPictureMember, pictures, subject)) Pictures(pictures, subject);
}

// ---- the other files the menu opens ----

void Checker::DefaultPictures() {
    const std::string small = OnDisc(kRoot, discpaths::kDefaultSmallPicture);
    const std::string large = OnDisc(kRoot, discpaths::kDefaultLargeFolder) + std::string(discpaths::kDefaultLargeName);
    if (!disc_->IsFile(small)) {
        if (withoutPictures_ > 0)
            Warning(Shown(small), "is missing: " + Plural(withoutPictures_, "program without pictures shows",
                                                          "programs without pictures show") + " an empty frame");
        return;
    }
    if (std::string why = Look(small, true); !why.empty())
        Error(Shown(small), why + ": programs without pictures of their own show nothing");
    if (std::string why = Look(large, true); !why.empty())
        Error(Shown(large), why + ": a click on the default screenshot shows nothing");
}

void Checker::LeavingAndBanners() {
    // Without an exit program the menu simply closes: nothing fails, but a disc is
    // not meant to go out without one.
    const std::string outro = OnDisc(kRoot, discpaths::kOutro);
    if (!disc_->IsFile(outro)) Warning(Shown(outro), "is missing: leaving the menu starts no exit program");
    for (std::string_view doc : discpaths::kBannerDocuments) {
        const std::string path = OnDisc(kRoot, discpaths::kDocumentFolder) + std::string(doc);
        if (!disc_->IsFile(path)) Error(Shown(path), "is missing: its banner opens it and shows an error instead");
    }
}

void Checker::RootPrograms() {
#ifdef _WIN32
    // The Windows tool checks the disc for the Windows menu. Whether a Linux program
    // will start (an ELF file with its execute permission, which Windows cannot see)
    // is for the Linux tool to judge.
    WindowsProgram(true);
#else
    const std::string linuxProgram = OnDisc(kRoot, kLinuxProgram);
    const std::string subject = Shown(linuxProgram);
    const std::string path = disc_->Locate(linuxProgram);
    const auto entry = disc_->StatTarget(path);
    if (!entry || entry->kind != DiscEntryKind::File) {
        Error(subject, "is missing: the menu cannot start from this disc");
    } else if (entry->size > kLargestProgramFile) {
        Error(subject, "is " + Size(entry->size) + ", far too big to be the menu");
    } else {
        std::vector<uint8_t> bytes;
        if (!disc_->ReadAll(path, bytes, kLargestProgramFile)) {
            Error(subject, "cannot be read");
        } else {
            ++result.counts.rootPrograms;
            const ProgramVerdict v = JudgeLinuxProgram(ReadElf(bytes), bytes.size(), entry->executable);
            for (const std::string& e : v.errors) Error(subject, e);
            for (const std::string& w : v.warnings) Warning(subject, w);
        }
    }
    WindowsProgram(false);
#endif
}

void Checker::WindowsProgram(bool required) {
    const std::string windows = OnDisc(kRoot, kWindowsProgram);
    const std::string subject = Shown(windows);
    const std::string path = disc_->Locate(windows);
    const auto entry = disc_->StatTarget(path);
    if (!entry || entry->kind != DiscEntryKind::File) {
        if (required) Error(subject, "is missing: the menu cannot start from this disc");
        return;
    }
    if (entry->size > kLargestProgramFile) {
        Error(subject, "is " + Size(entry->size) + ", far too big to be the menu");
        return;
    }
    std::vector<uint8_t> bytes;
    if (!disc_->ReadAll(path, bytes, kLargestProgramFile)) {
        Error(subject, "cannot be read");
        return;
    }
    ++result.counts.rootPrograms;
    if (std::string why = PeProblem(bytes); !why.empty()) Error(subject, why);
}

// ---- starting by itself ----

// Without these nothing fails: the reader starts the menu by hand.
void Checker::AutoStart() {
    auto onDisc = [](std::string_view name) { return OnDisc(kRoot, "\\" + std::string(name)); };
    // Windows finds autorun.inf in any letter case.
    if (disc_->IsFile(onDisc(kWindowsMenuName)) && !disc_->IsFile(onDisc(kAutorunInfName)))
        Warning(Shown(onDisc(kAutorunInfName)), "is missing: Windows does not start the menu when the disc goes in");
    if (!disc_->IsFile(onDisc(kLinuxMenuName))) return;
    // A Linux desktop looks for the names as they are and takes the first it finds.
    std::vector<DiscEntry> root;
    std::string why;
    if (!disc_->List("", root, why)) return;
    for (std::string_view name : kAutostartNames) {
        const auto it = std::find_if(root.begin(), root.end(),
                                     [&](const DiscEntry& e) { return e.name == name && e.kind == DiscEntryKind::File; });
        if (it == root.end()) continue;
#ifndef _WIN32
        // (Windows cannot see the execute permission.)
        if (!it->executable)
            Warning(Shown(onDisc(name)), "cannot be run (it lacks the execute permission): Linux desktops do not start the menu "
                                         "from it");
#endif
        return;
    }
    Warning(Shown(onDisc(kAutostartName)), "is missing: Linux desktops do not offer to start the menu when the disc is mounted");
}

// ---- names that burners and other systems handle badly ----

void Checker::Names(const std::string& dir, const std::string& rel, const std::string& relUtf8, int level) {
    std::vector<DiscEntry> entries;
    std::string why;
    if (!disc_->List(dir, entries, why)) {
        Error(relUtf8.empty() ? "\\" : relUtf8, "cannot be listed: " + why);
        return;
    }
    std::map<std::string, std::string> folded;  // upper-cased name -> the name seen first
    for (const DiscEntry& e : entries) {
        const std::string& name = e.name;
        const std::string cp = platform::Utf8ToCp1250(name);
        const std::string path = rel + "\\" + cp;
        const std::string subject = relUtf8 + "\\" + name;
        if (platform::Cp1250ToUtf8(cp) != name)
            Warning(subject, "has a name that Windows-1250 cannot write: no catalogue can name it");
        auto [first, fresh] = folded.emplace(platform::UpperCp1250(cp), name);
        if (!fresh)
            Warning(subject, "differs from " + first->second +
                                 " only in letter case: Windows and ISO 9660 discs keep only one, and the menu may open either");
        if (cp.find_first_of("<>:\"|?*\\") != std::string::npos ||
            std::any_of(cp.begin(), cp.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            Warning(subject, "holds a character that Windows does not allow in names");
        if (!cp.empty() && (cp.back() == '.' || cp.back() == ' '))
            Warning(subject, "ends in a dot or a blank, which Windows drops");
        if (IsReservedOnWindows(cp)) Warning(subject, "is a device name on Windows and cannot be opened there");
        // An image's own Joliet tree says what Windows will read (Image); a folder's
        // names can only be measured against what Joliet holds.
        if (!image_ && JolietLength(name) > kLongestJolietName)
            Warning(subject, "has a name of " + std::to_string(JolietLength(name)) +
                                 " characters; Joliet discs, which Windows reads, allow " + std::to_string(kLongestJolietName));
        if (path.size() > kLongestPath)
            Warning(subject, "has a path of " + std::to_string(path.size()) + " characters; Windows and many burners stop at " +
                                 std::to_string(kLongestPath));
        if (e.kind == DiscEntryKind::Link) {
            Warning(subject, "is a symbolic link, which Windows and plain ISO 9660 discs cannot follow");
        } else if (e.kind == DiscEntryKind::Folder) {
            ++result.counts.folders;
            // Only the first folder too deep is named, not everything below it.
            if (level + 1 == kDeepestIsoLevel + 1)
                Warning(subject, "is a folder on level " + std::to_string(level + 1) + " (the root is level 1); ISO 9660 allows " +
                                     std::to_string(kDeepestIsoLevel));
            Names(JoinDiscPath(dir, name), path, subject, level + 1);
        } else if (e.kind == DiscEntryKind::File) {
            ++result.counts.files;
            result.counts.discBytes += e.size;
            if (e.size > kLargestIsoFile && !image_)
                Warning(subject, "is 4 GiB or more, more than an ISO 9660 file can hold (the disc needs UDF)");
        } else {
            Warning(subject, "is neither a file nor a folder: it cannot go on a disc");
        }
    }
}

// ---- what only an image can get wrong ----

std::string ShownIn(const std::string& folder, const std::string& name) { return ShownDiscPath(JoinDiscPath(folder, name)); }

// The smallest first block of the files in a folder and below it: a folder in one
// tree and the same folder under another name in the other hold the same files.
uint64_t FirstBlock(const ImageNode& n) {
    uint64_t first = UINT64_MAX;
    if (n.kind == DiscEntryKind::File && !n.extents.empty() && n.size > 0) first = n.extents[0].first;
    for (const ImageNode& c : n.children) first = std::min(first, FirstBlock(c));
    return first;
}

void Checker::SameNames(const ImageNode& rr, const ImageNode& joliet, const std::string& rrPath, const std::string& jolietPath) {
    // Entries of the same name first; what is left is paired by the bytes it holds.
    std::vector<const ImageNode*> rrLeft, jolietLeft;
    std::vector<std::pair<const ImageNode*, const ImageNode*>> pairs;
    for (const ImageNode& c : rr.children) {
        if (c.kind == DiscEntryKind::Link) continue;  // Joliet has no links; Names warns of them
        auto it = std::find_if(joliet.children.begin(), joliet.children.end(), [&](const ImageNode& j) { return j.name == c.name; });
        if (it != joliet.children.end() && it->kind == c.kind) pairs.emplace_back(&c, &*it);
        else rrLeft.push_back(&c);
    }
    for (const ImageNode& j : joliet.children)
        if (std::none_of(pairs.begin(), pairs.end(), [&](const auto& p) { return p.second == &j; })) jolietLeft.push_back(&j);
    for (const ImageNode*& r : rrLeft) {
        const uint64_t block = FirstBlock(*r);
        for (const ImageNode*& j : jolietLeft) {
            if (!j || j->kind != r->kind) continue;
            const bool same = block != UINT64_MAX ? FirstBlock(*j) == block
                                                  : (r->kind == DiscEntryKind::Folder && jolietLeft.size() == 1 && rrLeft.size() == 1);
            if (!same) continue;
            pairs.emplace_back(r, j);
            Error(ShownIn(rrPath, r->name), "is named " + j->name + " in the Joliet tree, which Windows reads: Linux and Windows see "
                                           "different names, and a catalogue can name only one");
            r = nullptr;
            j = nullptr;
            break;
        }
    }
    for (const ImageNode* r : rrLeft)
        if (r) Error(ShownIn(rrPath, r->name), "is missing from the Joliet tree: Windows does not see it");
    for (const ImageNode* j : jolietLeft)
        if (j) Error(ShownIn(jolietPath, j->name), "is only in the Joliet tree: Linux does not see it");
    for (const auto& [r, j] : pairs)
        if (r->kind == DiscEntryKind::Folder) SameNames(*r, *j, JoinDiscPath(rrPath, r->name), JoinDiscPath(jolietPath, j->name));
}

void Checker::JolietLengths(const ImageNode& joliet, const std::string& path) {
    for (const ImageNode& c : joliet.children) {
        const int units = JolietLength(c.name);
        if (units > kLongestJolietName)
            Warning(ShownIn(path, c.name), "has a Joliet name of " + std::to_string(units) + " characters, more than the " +
                                              std::to_string(kLongestJolietName) +
                                              " Joliet allows: Windows and other readers may cut it short or not read it");
        if (c.kind == DiscEntryKind::Folder) JolietLengths(c, JoinDiscPath(path, c.name));
    }
}

void Checker::Image() {
    const ImageTrees& t = image_->Trees();
    if (!t.rockRidge && !t.joliet)
        Error(imageName_, "has neither Rock Ridge nor Joliet names: Linux and Windows see only short names in capitals");
    else if (!t.rockRidge)
        Error(imageName_, "has no Rock Ridge tree: Linux reads the Joliet names and sees no execute permissions");
    else if (!t.joliet)
        Error(imageName_, "has no Joliet tree: Windows sees only short names in capitals");
    if (t.joliet) {
        if (t.rockRidge) SameNames(t.rockRidgeRoot, t.jolietRoot, "", "");
        JolietLengths(t.jolietRoot, "");
    }
    // What a burner writes is the whole file, whatever the volume says of itself.
    const uint64_t bytes = std::max(t.fileBytes, t.volumeBytes);
    if (const Medium* m = SmallestMediumFor(bytes))
        Info(imageName_, Size(bytes) + ", fits " + m->name);
    else
        Error(imageName_, "is " + Size(bytes) + ", more than " + Media().back().name + " holds: it fits no disc");
}

}  // namespace

std::string Size(uint64_t bytes) {
    char buf[32];
    if (bytes < (1u << 20)) std::snprintf(buf, sizeof buf, "%.1f KiB", static_cast<double>(bytes) / (1 << 10));
    else if (bytes < (1u << 30)) std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    else std::snprintf(buf, sizeof buf, "%.2f GiB", static_cast<double>(bytes) / (1 << 30));
    return buf;
}

int CheckResult::Errors() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const CheckFinding& f) { return f.error; }));
}

int CheckResult::Warnings() const {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [](const CheckFinding& f) { return !f.error && !f.info; }));
}

CheckResult CheckDisc(const std::string& disc, const std::function<void(const CheckFinding&)>& onFinding) {
    const auto start = std::chrono::steady_clock::now();
    Checker c(onFinding);
    std::error_code ec;
    const fs::path host = fs::absolute(HostPath(disc), ec);
    std::unique_ptr<DiscFiles> folder;
    std::unique_ptr<ImageDiscFiles> image;
    if (!ec && fs::is_directory(host, ec)) {
        const std::u8string u8 = host.u8string();
        folder = OpenDiscFolder(std::string(u8.begin(), u8.end()));
        c.Read(folder.get(), nullptr, "");
    } else if (!ec && fs::is_regular_file(host, ec)) {
        // An image is read as it is, through its own trees: nothing is mounted or
        // unpacked.
        std::string why;
        image = ImageDiscFiles::Open(disc, why);
        if (!image) {
            c.Error(disc, why);
            return c.result;
        }
        c.Read(image.get(), image.get(), disc);
    } else {
        c.Error(disc, "is neither a folder nor a disc image");
        return c.result;
    }
    auto guarded = [&](const char* what, auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            c.Error(what, std::string("could not be checked: ") + e.what());
        }
    };
    guarded("main.ndt", [&] { c.Catalogue(discpaths::kMainCatalogueTested, discpaths::kMainCatalogue, true); });
    guarded("mains.ndt", [&] { c.Catalogue(discpaths::kSecondCatalogueTested, discpaths::kSecondCatalogue, false); });
    guarded("the resource streams", [&] { c.Resources(); });
    guarded("the default screenshot", [&] { c.DefaultPictures(); });
    guarded("the exit program and the banners' documents", [&] { c.LeavingAndBanners(); });
    guarded("the program at the root", [&] { c.RootPrograms(); });
    guarded("what starts the menu", [&] { c.AutoStart(); });
    guarded("the names on the disc", [&] { c.Names("", "", "", 1); });
    if (image) guarded("the image", [&] { c.Image(); });
    c.Finish();
    c.result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return c.result;
}

std::string FormatFinding(const CheckFinding& f) {
    return std::string(f.error ? "error: " : f.info ? "info: " : "warning: ") + f.subject + ": " + f.text;
}

std::string FormatSummary(const CheckResult& r) {
    const CheckCounts& n = r.counts;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", r.seconds);
    std::string records;
    for (size_t i = 0; i < n.records.size(); ++i) records += (i ? " and " : "") + std::to_string(n.records[i]);
    records += n.records.size() == 1 && n.records[0] == 1 ? " record" : " records";
    std::string s = "checked in " + std::string(seconds) + ": " + Plural(n.catalogues, "catalogue", "catalogues") + " (" + records +
                    ", " + Plural(n.programs, "program", "programs") + "), " +
                    Plural(n.paths, "path", "paths") + " looked up, " + Plural(n.infoFiles, "information file", "information files") +
                    ", " + Plural(n.screenshots, "picture", "pictures") + " decoded, " + Plural(n.archives, "archive", "archives") +
                    " (" + Plural(n.members, "member", "members") + ", " + Size(n.unpacked) + " unpacked), " +
                    Plural(n.fonts, "font", "fonts") + " and " + Plural(n.streamPictures, "picture", "pictures") +
                    " of the resource streams, " + Plural(n.rootPrograms, "program", "programs") + " at the root, " +
                    Plural(n.files, "file", "files") + " in " + Plural(n.folders, "folder", "folders") + " (" + Size(n.discBytes) + ")\n";
    s += Plural(r.Errors(), "error", "errors") + ", " + Plural(r.Warnings(), "warning", "warnings") + "\n";
    return s;
}

}  // namespace tool
