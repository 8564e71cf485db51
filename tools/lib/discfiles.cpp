#include "tools/lib/discfiles.h"

#include <algorithm>
#include <filesystem>

#include "platform/hostfile.h"
#include "platform/pathparts.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tool {

namespace {

namespace fs = std::filesystem;

// Host paths are UTF-8; std::filesystem takes plain strings in the C runtime's
// narrow code page, which on Windows need not be UTF-8.
fs::path HostPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// The part of a Windows path below its drive ("D:\A\B" -> "\A\B").
std::string_view BelowDrive(std::string_view winPath) {
    return winPath.size() >= 2 && winPath[1] == ':' ? winPath.substr(2) : winPath;
}

class FolderDiscFiles : public DiscFiles {
public:
    explicit FolderDiscFiles(const std::string& hostFolder) {
        platform::DriveTable& drives = platform::Drives();
        drives.Map('D', hostFolder);
        drives.SetCurrentDir("");
        root_ = drives.HostFolder('D').value_or(hostFolder);
    }

    std::string Locate(std::string_view winPath) const override {
        const std::string d = "D:" + std::string(BelowDrive(winPath));
        std::string host = platform::Drives().ToHost(d).value_or(root_);
        std::string rest = host.size() > root_.size() ? host.substr(root_.size()) : std::string();
        std::replace(rest.begin(), rest.end(), '\\', '/');
        while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
        return rest;
    }

    std::optional<DiscEntry> Stat(const std::string& path) const override { return Entry(path, false); }
    std::optional<DiscEntry> StatTarget(const std::string& path) const override { return Entry(path, true); }

    bool List(const std::string& path, std::vector<DiscEntry>& out, std::string& why) const override {
        out.clear();
        std::error_code ec;
        for (fs::directory_iterator it(Host(path), ec), end; !ec && it != end; it.increment(ec))
            out.push_back(Describe(*it, Utf8Of(it->path().filename()), false));
        if (ec) {
            why = ec.message();
            return false;
        }
        std::sort(out.begin(), out.end(), [](const DiscEntry& a, const DiscEntry& b) { return a.name < b.name; });
        return true;
    }

    bool ReadAt(const std::string& path, uint64_t offset, void* buf, size_t n) const override {
        // Archives are read in many small requests; the file stays open between them.
        if (path != openPath_ || !file_.IsOpen()) {
            file_ = platform::HostFile();
            openPath_.clear();
            if (!file_.OpenRead(Utf8Of(Host(path)))) return false;
            openPath_ = path;
        }
        return file_.ReadAt(offset, buf, n);
    }

private:
    fs::path Host(const std::string& path) const { return HostPath(path.empty() ? root_ : root_ + "/" + path); }

    static DiscEntry Describe(const fs::directory_entry& e, const std::string& name, bool follow) {
        DiscEntry d;
        d.name = name;
        std::error_code ec;
        const fs::file_status st = follow ? e.status(ec) : e.symlink_status(ec);
        if (fs::is_symlink(st)) d.kind = DiscEntryKind::Link;
        else if (fs::is_directory(st)) d.kind = DiscEntryKind::Folder;
        else if (fs::is_regular_file(st)) d.kind = DiscEntryKind::File;
        if (d.kind == DiscEntryKind::File) {
            const uint64_t size = e.file_size(ec);
            d.size = ec ? 0 : size;
            d.executable = (st.permissions() & fs::perms::owner_exec) != fs::perms::none;
        }
        return d;
    }

    std::optional<DiscEntry> Entry(const std::string& path, bool follow) const {
        std::error_code ec;
        const fs::directory_entry e(Host(path), ec);
        if (ec) return std::nullopt;
        const fs::file_status st = follow ? e.status(ec) : e.symlink_status(ec);
        if (ec || (!fs::exists(st) && !fs::is_symlink(st))) return std::nullopt;
        const std::vector<std::string> parts = Split(path);
        return Describe(e, parts.empty() ? std::string() : parts.back(), follow);
    }

    std::string root_;
    mutable std::string openPath_;
    mutable platform::HostFile file_;
};

// Whether a name of the image is the one the menu asks for in Windows-1250, letter
// case aside: as the drive table matches host names.
bool SameNameIgnoringCase(const std::string& utf8, const std::string& wantedCp1250) {
    const std::string shown = platform::Utf8ToCp1250(utf8);
    return platform::EqualsIgnoreCase(shown, wantedCp1250) && platform::Cp1250ToUtf8(shown) == utf8;
}

DiscEntry EntryOf(const ImageNode& n) {
    DiscEntry d;
    d.name = n.name;
    d.kind = n.kind;
    d.size = n.size;
    d.executable = (n.mode & 0100) != 0;
    return d;
}

}  // namespace

bool DiscFiles::IsFile(std::string_view winPath) const {
    auto e = StatTarget(Locate(winPath));
    return e && e->kind == DiscEntryKind::File;
}

bool DiscFiles::IsFolder(std::string_view winPath) const {
    auto e = StatTarget(Locate(winPath));
    return e && e->kind == DiscEntryKind::Folder;
}

bool DiscFiles::ReadAll(const std::string& path, std::vector<uint8_t>& out, uint64_t limit, std::string* why) const {
    out.clear();
    auto fail = [&](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    auto e = StatTarget(path);
    if (!e || e->kind != DiscEntryKind::File) return fail("is missing");
    if (e->size > limit) return fail("is too big to be what it should be");
    out.resize(static_cast<size_t>(e->size));
    if (!out.empty() && !ReadAt(path, 0, out.data(), out.size())) {
        out.clear();
        return fail("cannot be read");
    }
    return true;
}

std::string ShownDiscPath(const std::string& path) {
    std::string s = "\\" + path;
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

std::string JoinDiscPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "/" + name;
}

std::unique_ptr<DiscFiles> OpenDiscFolder(const std::string& hostFolder) { return std::make_unique<FolderDiscFiles>(hostFolder); }

int JolietLength(std::string_view s) {
    int units = 0;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t more = 0;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0) more = 1;
            else if ((c & 0xF0) == 0xE0) more = 2;
            else if ((c & 0xF8) == 0xF0) more = 3;
            else return -1;
        }
        if (more > s.size() - i - 1) return -1;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return -1;
        // Four bytes of UTF-8 hold a letter beyond the first 65536, which UTF-16
        // writes as two units.
        units += more == 3 ? 2 : 1;
        i += more + 1;
    }
    return units;
}

// ---- the disc inside an image ----

struct ImageDiscFiles::Image {
    platform::HostFile file;
};

ImageDiscFiles::ImageDiscFiles(ImageTrees trees, std::string imagePath)
    : trees_(std::move(trees)), image_(std::make_unique<Image>()) {
    image_->file.OpenRead(imagePath);
}

ImageDiscFiles::~ImageDiscFiles() = default;

std::unique_ptr<ImageDiscFiles> ImageDiscFiles::Open(const std::string& imagePath, std::string& why) {
    ImageTrees trees;
    if (!ReadImageTrees(imagePath, trees, why)) return nullptr;
    auto disc = std::make_unique<ImageDiscFiles>(std::move(trees), imagePath);
    if (!disc->image_->file.IsOpen()) {
        why = "cannot be opened: " + platform::HostLastError();
        return nullptr;
    }
    return disc;
}

const ImageNode* ImageDiscFiles::Find(const std::string& path) const {
    const ImageNode* n = &trees_.rockRidgeRoot;
    for (const std::string& part : Split(path)) {
        auto it = std::lower_bound(n->children.begin(), n->children.end(), part,
                                   [](const ImageNode& c, const std::string& name) { return c.name < name; });
        if (it == n->children.end() || it->name != part) return nullptr;
        n = &*it;
    }
    return n;
}

std::string ImageDiscFiles::Locate(std::string_view winPath) const {
    const ImageNode* n = &trees_.rockRidgeRoot;
    std::string path;
    for (const std::string& part : platform::ResolvedPathComponents(BelowDrive(winPath))) {
        std::string name = platform::Cp1250ToUtf8(part);
        if (n) {
            const ImageNode* next = nullptr;
            for (const ImageNode& c : n->children)
                if (c.name == name) next = &c;
            if (!next)
                for (const ImageNode& c : n->children)
                    if (SameNameIgnoringCase(c.name, part)) {
                        next = &c;
                        break;
                    }
            if (next) name = next->name;
            n = next;
        }
        path = JoinDiscPath(path, name);
    }
    return path;
}

std::optional<DiscEntry> ImageDiscFiles::Stat(const std::string& path) const {
    const ImageNode* n = Find(path);
    if (!n) return std::nullopt;
    return EntryOf(*n);
}

bool ImageDiscFiles::List(const std::string& path, std::vector<DiscEntry>& out, std::string& why) const {
    out.clear();
    const ImageNode* n = Find(path);
    if (!n || n->kind != DiscEntryKind::Folder) {
        why = "is no folder of the image";
        return false;
    }
    for (const ImageNode& c : n->children) out.push_back(EntryOf(c));
    return true;
}

bool ImageDiscFiles::ReadAt(const std::string& path, uint64_t offset, void* buf, size_t n) const {
    const ImageNode* node = Find(path);
    if (!node || node->kind != DiscEntryKind::File || offset > node->size || n > node->size - offset) return false;
    auto* out = static_cast<uint8_t*>(buf);
    for (const auto& [block, bytes] : node->extents) {
        if (n == 0) break;
        if (offset >= bytes) {
            offset -= bytes;
            continue;
        }
        const size_t part = static_cast<size_t>(std::min<uint64_t>(n, bytes - offset));
        if (!image_->file.ReadAt(uint64_t{block} * 2048 + offset, out, part)) return false;
        out += part;
        n -= part;
        offset = 0;
    }
    return n == 0;
}

#if !VEMI_HAVE_LIBISOFS
bool HaveImageSupport() { return false; }

bool ReadImageTrees(const std::string&, ImageTrees&, std::string& why) {
    why = "is a disc image; reading images needs libisofs, which this build of vemi-disc lacks (use the Linux build)";
    return false;
}
#endif

}  // namespace tool
