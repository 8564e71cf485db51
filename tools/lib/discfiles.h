// What the disc tool reads of a disc: a folder on the host, or an image of one.
// `vemi-disc check` judges both through this, so the same checks run on each, and
// the image writer finds the menu's start-up files through it.
//
// Paths here are the disc's own: UTF-8 names from the root with "/" between them
// ("CDInst/Dat/main.ndt"; "" is the root). A Windows path as the menu writes it
// ("D:\CDINST\DAT\MAIN.NDT", Windows-1250) becomes one through Locate, which
// matches each level ignoring letter case as the menu's drive table does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tool {

enum class DiscEntryKind { File, Folder, Link, Other };

struct DiscEntry {
    std::string name;  // UTF-8
    DiscEntryKind kind = DiscEntryKind::Other;
    uint64_t size = 0;        // of a file
    bool executable = false;  // the owner's execute permission (Rock Ridge's on an image)
};

class DiscFiles {
public:
    virtual ~DiscFiles() = default;

    // The disc path of a Windows path below D:; levels that are missing are taken as
    // written, so the result names nothing.
    virtual std::string Locate(std::string_view winPath) const = 0;
    // What the path names; a link is reported as a link.
    virtual std::optional<DiscEntry> Stat(const std::string& path) const = 0;
    // What the path leads to, a link followed where the menu's host would follow it.
    virtual std::optional<DiscEntry> StatTarget(const std::string& path) const { return Stat(path); }
    // The entries of a folder, sorted by name (bytes); false with why when it cannot
    // be listed.
    virtual bool List(const std::string& path, std::vector<DiscEntry>& out, std::string& why) const = 0;
    // Exactly n bytes of a file from offset; false when they cannot all be read.
    virtual bool ReadAt(const std::string& path, uint64_t offset, void* buf, size_t n) const = 0;

    // A file or a folder at a Windows path, as the menu's FileExists and
    // DirectoryExists see it.
    bool IsFile(std::string_view winPath) const;
    bool IsFolder(std::string_view winPath) const;
    // A whole file of at most `limit` bytes; false with why otherwise.
    bool ReadAll(const std::string& path, std::vector<uint8_t>& out, uint64_t limit, std::string* why = nullptr) const;
};

// A disc path as the disc's maker reads it in messages: "\CDInst\Dat\main.ndt".
std::string ShownDiscPath(const std::string& path);
// parent + "/" + name, or name alone below the root.
std::string JoinDiscPath(const std::string& parent, const std::string& name);

// The disc in a host folder (UTF-8). The folder becomes drive D: of the drive
// table, and Locate is the drive table's own look-up, as for the menu.
std::unique_ptr<DiscFiles> OpenDiscFolder(const std::string& hostFolder);

// ---- disc images ----

// A file or folder of one of an image's directory trees.
struct ImageNode {
    std::string name;  // UTF-8, as the tree spells it
    DiscEntryKind kind = DiscEntryKind::Other;
    uint64_t size = 0;
    uint32_t mode = 0;  // permission bits (Rock Ridge); 0 in a tree without them
    // Where a file's bytes lie: (first block, bytes) of each extent, in order.
    std::vector<std::pair<uint32_t, uint64_t>> extents;
    std::vector<ImageNode> children;  // a folder's, sorted by name
};

// What an image holds: its trees as Linux (Rock Ridge) and Windows (Joliet) read
// them, and its size.
struct ImageTrees {
    bool rockRidge = false;  // whether `rockRidge` holds the Rock Ridge tree (else the plain one)
    bool joliet = false;     // whether there is a Joliet tree
    ImageNode rockRidgeRoot;
    ImageNode jolietRoot;
    std::string volumeId;
    uint64_t volumeBytes = 0;  // as the volume descriptor counts them
    uint64_t fileBytes = 0;    // of the image file itself
};

// Reads the trees of the image in a host file; false with why when it is no
// image that can be read. Needs libisofs (see HaveImageSupport).
bool ReadImageTrees(const std::string& imagePath, ImageTrees& out, std::string& why);
// Whether this build reads and writes images: the Windows build has no libisofs.
bool HaveImageSupport();

// The disc inside an image as Linux sees it, through the Rock Ridge tree (the plain
// ISO 9660 one when there is none), its files read where the image holds them.
class ImageDiscFiles : public DiscFiles {
public:
    // nullptr with why when the image cannot be read.
    static std::unique_ptr<ImageDiscFiles> Open(const std::string& imagePath, std::string& why);
    ImageDiscFiles(ImageTrees trees, std::string imagePath);
    ~ImageDiscFiles() override;

    const ImageTrees& Trees() const { return trees_; }
    // The node at a disc path of the Rock Ridge tree; nullptr when there is none.
    const ImageNode* Find(const std::string& path) const;

    std::string Locate(std::string_view winPath) const override;
    std::optional<DiscEntry> Stat(const std::string& path) const override;
    bool List(const std::string& path, std::vector<DiscEntry>& out, std::string& why) const override;
    bool ReadAt(const std::string& path, uint64_t offset, void* buf, size_t n) const override;

private:
    struct Image;
    ImageTrees trees_;
    std::unique_ptr<Image> image_;
};

// The UTF-16 code units a name takes in a Joliet tree; -1 for a name that is not
// UTF-8.
int JolietLength(std::string_view utf8);

}  // namespace tool
