// Built only where libisofs is (the Linux build): the image writer, and the reader
// of images' trees for `vemi-disc check` and the layout listing.
#include "tools/lib/isoimage.h"

// libisofs declares its struct burn_source, through which the image comes out,
// only when told that libburn (which has its own) is not there.
#define LIBISOFS_WITHOUT_LIBBURN 1
#include <libisofs.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>

#include "platform/hostfile.h"
#include "tools/lib/discfiles.h"
#include "tools/lib/isolayout.h"

namespace tool {

namespace {

namespace fs = std::filesystem;

// Left by `vemi-disc build` in the root of the discs it builds (discbuilder.cpp):
// the tool's own bookkeeping, nothing for the reader.
constexpr const char* kBuildMarker = ".vemi-disc-build";
// Folders nested deeper than this in an image are taken for a loop.
constexpr int kDeepestImageFolder = 256;
constexpr size_t kWriteChunk = 32 * 2048;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

// libisofs keeps its state in the process. It is started once, with UTF-8 as the
// character set of names whatever the locale says (the disc's names are UTF-8 on
// Linux; under LANG=C it would take them for ASCII and spoil every Polish letter),
// and its messages are queued for us instead of printed.
void StartLibrary() {
    static const int started = [] {
        const int rc = iso_init_with_flag(1);
        if (rc < 0) return rc;
        iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
        iso_set_msgs_severities(const_cast<char*>("WARNING"), const_cast<char*>("NEVER"), const_cast<char*>("vemi-disc"));
        return 1;
    }();
    if (started < 0) Fail(std::string("libisofs cannot be started: ") + iso_error_to_msg(started));
}

// What libisofs queued since it was last asked: its warnings and errors, one each.
std::vector<std::string> TakeMessages() {
    std::vector<std::string> out;
    std::vector<char> text(ISO_MSGS_MESSAGE_LEN);
    char severity[80];
    int code = 0, image = 0;
    while (iso_obtain_msgs(const_cast<char*>("ALL"), &code, &image, text.data(), severity) == 1) out.push_back(text.data());
    return out;
}

std::string Why(int rc) {
    std::string why = iso_error_to_msg(rc);
    for (const std::string& m : TakeMessages())
        if (m != why) why += "; " + m;
    return why;
}

template <class T, void (*Free)(T*)>
struct Freed {
    void operator()(T* p) const {
        if (p) Free(p);
    }
};
using ImagePtr = std::unique_ptr<IsoImage, Freed<IsoImage, iso_image_unref>>;
using WriteOptsPtr = std::unique_ptr<IsoWriteOpts, Freed<IsoWriteOpts, iso_write_opts_free>>;
using ReadOptsPtr = std::unique_ptr<IsoReadOpts, Freed<IsoReadOpts, iso_read_opts_free>>;
using SourcePtr = std::unique_ptr<IsoDataSource, Freed<IsoDataSource, iso_data_source_unref>>;
using FeaturesPtr = std::unique_ptr<IsoReadImageFeatures, Freed<IsoReadImageFeatures, iso_read_image_features_destroy>>;
using IterPtr = std::unique_ptr<IsoDirIter, Freed<IsoDirIter, iso_dir_iter_free>>;

fs::path HostPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// ---- writing ----

class TreeBuilder {
public:
    TreeBuilder(IsoImage* image, std::optional<int64_t> date) : image_(image), date_(date) {}

    void Folder(IsoDir* dir, const fs::path& host, const std::string& path) {
        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
        if (ec) Fail(ShownDiscPath(path) + ": cannot be listed: " + ec.message());
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });
        for (const fs::directory_entry& e : entries) {
            const std::string name = Utf8Of(e.path().filename());
            if (path.empty() && name == kBuildMarker) continue;
            const std::string sub = JoinDiscPath(path, name);
            if (std::string why = JolietNameProblem(name); !why.empty()) Fail(ShownDiscPath(sub) + ": " + why);
            struct stat st {};
            if (::lstat(Utf8Of(e.path()).c_str(), &st) != 0) Fail(ShownDiscPath(sub) + ": cannot be read");
            IsoNode* node = nullptr;
            int rc = 0;
            if (S_ISDIR(st.st_mode)) {
                IsoDir* child = nullptr;
                rc = iso_tree_add_new_dir(dir, name.c_str(), &child);
                if (rc < 0) Fail(ShownDiscPath(sub) + ": " + Why(rc));
                node = reinterpret_cast<IsoNode*>(child);
                Stamp(node, st, 0555);
                Folder(child, e.path(), sub);
                continue;
            }
            if (S_ISREG(st.st_mode)) {
                rc = iso_tree_add_new_node(image_, dir, name.c_str(), Utf8Of(e.path()).c_str(), &node);
                if (rc < 0) Fail(ShownDiscPath(sub) + ": " + Why(rc));
                // Read for everybody, and run by everybody when anybody may run it:
                // a disc has no owners, and a reader is not who made it.
                Stamp(node, st, (st.st_mode & 0111) ? 0555 : 0444);
                files_[sub] = node;
            } else if (S_ISLNK(st.st_mode)) {
                std::error_code lec;
                const std::string target = Utf8Of(fs::read_symlink(e.path(), lec));
                if (lec) Fail(ShownDiscPath(sub) + ": cannot be read: " + lec.message());
                IsoSymlink* link = nullptr;
                rc = iso_tree_add_new_symlink(dir, name.c_str(), target.c_str(), &link);
                if (rc < 0) Fail(ShownDiscPath(sub) + ": " + Why(rc));
                Stamp(reinterpret_cast<IsoNode*>(link), st, 0777);
            } else {
                notes_.push_back(ShownDiscPath(sub) + ": is neither a file nor a folder; left out");
            }
        }
    }

    // Files first in the image: the higher the weight, the nearer the start.
    void PutFirst(const std::vector<std::string>& order) {
        int weight = static_cast<int>(order.size());
        for (const std::string& path : order) {
            auto it = files_.find(path);
            if (it != files_.end()) iso_node_set_sort_weight(it->second, weight);
            --weight;
        }
    }

    std::vector<std::string> notes_;

private:
    void Stamp(IsoNode* node, const struct stat& st, mode_t mode) {
        iso_node_set_permissions(node, mode);
        iso_node_set_uid(node, 0);
        iso_node_set_gid(node, 0);
        const time_t t = date_ ? static_cast<time_t>(*date_) : st.st_mtime;
        iso_node_set_mtime(node, t);
        iso_node_set_atime(node, t);
        iso_node_set_ctime(node, t);
    }

    IsoImage* image_;
    std::optional<int64_t> date_;
    std::map<std::string, IsoNode*> files_;
};

// "YYYYMMDDhhmmss00": the volume's dates as libisofs writes them when it is given
// them as text, free of the time zone of the machine that writes the image.
std::string VolumeTimeText(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm utc {};
    gmtime_r(&t, &utc);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S00", &utc);
    return buf;
}

bool Inside(const fs::path& path, const fs::path& folder) {
    auto f = folder.begin(), p = path.begin();
    for (; f != folder.end(); ++f, ++p)
        if (p == path.end() || *p != *f) return false;
    return true;
}

// ---- reading ----

void Collect(IsoDir* dir, ImageNode& out, int depth) {
    if (depth > kDeepestImageFolder) Fail("holds folders nested more than " + std::to_string(kDeepestImageFolder) + " deep");
    IsoDirIter* raw = nullptr;
    if (iso_dir_get_children(dir, &raw) < 0) Fail("has a folder that cannot be read");
    IterPtr iter(raw);
    IsoNode* node = nullptr;
    while (iso_dir_iter_next(iter.get(), &node) == 1) {
        ImageNode n;
        n.name = iso_node_get_name(node);
        n.mode = iso_node_get_permissions(node) & 07777;
        switch (iso_node_get_type(node)) {
            case LIBISO_DIR:
                n.kind = DiscEntryKind::Folder;
                Collect(reinterpret_cast<IsoDir*>(node), n, depth + 1);
                break;
            case LIBISO_FILE: {
                n.kind = DiscEntryKind::File;
                auto* file = reinterpret_cast<IsoFile*>(node);
                n.size = static_cast<uint64_t>(iso_file_get_size(file));
                int count = 0;
                struct iso_file_section* sections = nullptr;
                if (iso_file_get_old_image_sections(file, &count, &sections, 0) == 1) {
                    for (int i = 0; i < count; ++i) n.extents.emplace_back(sections[i].block, sections[i].size);
                    std::free(sections);
                }
                break;
            }
            case LIBISO_SYMLINK:
                n.kind = DiscEntryKind::Link;
                break;
            default:
                n.kind = DiscEntryKind::Other;
                break;
        }
        out.children.push_back(std::move(n));
    }
    std::sort(out.children.begin(), out.children.end(), [](const ImageNode& a, const ImageNode& b) { return a.name < b.name; });
}

// One tree of the image: as Linux reads it (Rock Ridge before Joliet before the
// plain names), or as Windows reads it (Joliet before the plain names).
void ReadTree(const std::string& imagePath, bool asWindows, ImageNode& root, ImageTrees& trees) {
    IsoDataSource* rawSource = nullptr;
    int rc = iso_data_source_new_from_file(imagePath.c_str(), &rawSource);
    if (rc < 0) Fail("cannot be opened: " + Why(rc));
    SourcePtr source(rawSource);
    IsoReadOpts* rawOpts = nullptr;
    if ((rc = iso_read_opts_new(&rawOpts, 0)) < 0) Fail("cannot be read: " + Why(rc));
    ReadOptsPtr opts(rawOpts);
    iso_read_opts_set_no_aaip(opts.get(), 1);
    iso_read_opts_set_no_md5(opts.get(), 1);
    iso_read_opts_set_no_iso1999(opts.get(), 1);
    if (asWindows) {
        iso_read_opts_set_no_rockridge(opts.get(), 1);
        iso_read_opts_set_preferjoliet(opts.get(), 1);
    }
    IsoImage* rawImage = nullptr;
    if ((rc = iso_image_new("", &rawImage)) < 0) Fail("cannot be read: " + Why(rc));
    ImagePtr image(rawImage);
    IsoReadImageFeatures* rawFeatures = nullptr;
    if ((rc = iso_image_import(image.get(), source.get(), opts.get(), &rawFeatures)) < 0)
        Fail("is no ISO 9660 image that can be read: " + Why(rc));
    FeaturesPtr features(rawFeatures);
    if (!asWindows) {
        trees.rockRidge = iso_read_image_features_has_rockridge(features.get()) != 0;
        trees.joliet = iso_read_image_features_has_joliet(features.get()) != 0;
        trees.volumeBytes = uint64_t{iso_read_image_features_get_size(features.get())} * 2048;
        if (const char* id = iso_image_get_volume_id(image.get())) trees.volumeId = id;
    }
    root = ImageNode();
    root.kind = DiscEntryKind::Folder;
    Collect(iso_image_get_root(image.get()), root, 0);
    TakeMessages();
}

}  // namespace

bool HaveImageSupport() { return true; }

bool ReadImageTrees(const std::string& imagePath, ImageTrees& out, std::string& why) {
    out = ImageTrees();
    try {
        StartLibrary();
        std::error_code ec;
        const fs::path host = HostPath(imagePath);
        if (!fs::is_regular_file(host, ec)) Fail("is not a file");
        out.fileBytes = fs::file_size(host, ec);
        if (ec) Fail("cannot be read: " + ec.message());
        ReadTree(imagePath, false, out.rockRidgeRoot, out);
        if (out.joliet) ReadTree(imagePath, true, out.jolietRoot, out);
    } catch (const std::exception& e) {
        why = e.what();
        return false;
    }
    return true;
}

IsoWriteResult WriteDiscImage(const std::string& discFolder, const std::string& imagePath, const IsoWriteOptions& options) {
    StartLibrary();
    TakeMessages();
    IsoWriteResult result;
    std::error_code ec;
    const fs::path disc = fs::canonical(HostPath(discFolder), ec);
    if (ec || !fs::is_directory(disc)) Fail(discFolder + ": is not a folder");
    const fs::path target = fs::weakly_canonical(fs::absolute(HostPath(imagePath)), ec);
    if (ec) Fail(imagePath + ": cannot be written there: " + ec.message());
    if (Inside(target, disc)) Fail(imagePath + ": lies inside the disc folder, and would go into itself");

    const std::unique_ptr<DiscFiles> files = OpenDiscFolder(Utf8Of(disc));
    result.label = options.label;
    if (result.label.empty()) {
        std::string why;
        auto label = LabelFromCatalogue(*files, why);
        if (!label) Fail("no volume label: " + why + " (give one with --label)");
        result.label = *label;
    }
    if (std::string why = LabelProblem(result.label); !why.empty()) Fail("label \"" + result.label + "\": " + why);
    result.startup = StartupReads(*files);

    IsoImage* rawImage = nullptr;
    int rc = iso_image_new(result.label.c_str(), &rawImage);
    if (rc < 0) Fail("the image cannot be started: " + Why(rc));
    ImagePtr image(rawImage);
    TreeBuilder tree(image.get(), options.date);
    tree.Folder(iso_image_get_root(image.get()), disc, "");
    tree.PutFirst(result.startup);
    result.notes = tree.notes_;

    IsoWriteOpts* rawOpts = nullptr;
    if ((rc = iso_write_opts_new(&rawOpts, 0)) < 0) Fail("the image cannot be started: " + Why(rc));
    WriteOptsPtr opts(rawOpts);
    IsoWriteOpts* o = opts.get();
    // Level 3: a file of 4 GiB or more is written in several extents instead of
    // being refused; nothing else changes for smaller files.
    iso_write_opts_set_iso_level(o, 3);
    iso_write_opts_set_rockridge(o, 1);
    iso_write_opts_set_joliet(o, 1);
    // Joliet in UTF-16 rather than UCS-2: a letter beyond the first 65536 stays
    // itself instead of becoming "_" (JolietNameProblem counts it as two units).
    iso_write_opts_set_joliet_utf16(o, 1);
    iso_write_opts_set_output_charset(o, "UTF-8");
    // Joliet names as they are: no dot added to a name without one (readers that
    // keep it would show "vemi32." where the disc has vemi32).
    iso_write_opts_set_no_force_dots(o, 2);
    // Rock Ridge as of 1.10, whose PX entries carry no file serial numbers: those
    // libisofs would number in an order of its own from run to run, and from the
    // host's inode numbers, so that two copies of one folder would give two images.
    iso_write_opts_set_rrip_version_1_10(o, 1);
    iso_write_opts_set_rrip_1_10_px_ino(o, 0);
    iso_write_opts_set_sort_files(o, 1);
    iso_write_opts_set_always_gmt(o, 1);
    // The folders' and files' records carry their own times in every tree, not the
    // moment the image was written.
    iso_write_opts_set_dir_rec_mtime(o, 1 | 2 | 4);
    if (options.date) {
        std::string when = VolumeTimeText(*options.date);
        const time_t t = static_cast<time_t>(*options.date);
        iso_write_opts_set_pvd_times(o, t, t, 0, 0, when.data());
        iso_write_opts_set_replace_timestamps(o, 2);
        iso_write_opts_set_default_timestamp(o, t);
    }

    struct burn_source* rawBurn = nullptr;
    if ((rc = iso_image_create_burn_source(image.get(), o, &rawBurn)) < 0) Fail("the image cannot be made: " + Why(rc));
    auto burnDone = [](struct burn_source* b) {
        b->free_data(b);
        std::free(b);
    };
    std::unique_ptr<struct burn_source, decltype(burnDone)> burn(rawBurn, burnDone);
    const uint64_t total = static_cast<uint64_t>(burn->get_size(burn.get()));

    const std::string part = imagePath + ".part";
    if (platform::HostPathKind(part) == platform::HostKind::File) platform::HostRemoveFile(part);
    platform::HostFile out;
    if (!out.CreateNew(part, 0644)) {
        burn->cancel(burn.get());
        Fail(part + ": cannot be written: " + platform::HostLastError());
    }
    std::vector<unsigned char> buf(kWriteChunk);
    uint64_t done = 0;
    std::string failure;
    // A read asks for no more than is left: the image's last, shorter piece would
    // come out as nothing when a whole chunk is asked for.
    while (done < total) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buf.size(), total - done));
        const int n = burn->read_xt(burn.get(), buf.data(), static_cast<int>(want));
        if (n < 0) {
            failure = "the image could not be made: " + Why(ISO_ERROR);
            break;
        }
        if (n == 0) break;
        if (!out.Write(buf.data(), static_cast<size_t>(n))) {
            burn->cancel(burn.get());
            failure = part + ": cannot be written: " + platform::HostLastError();
            break;
        }
        done += static_cast<uint64_t>(n);
        if (options.progress) options.progress(done, total);
    }
    for (const std::string& m : TakeMessages()) result.notes.push_back(m);
    if (failure.empty() && done != total) {
        failure = "the image came out at " + std::to_string(done) + " of its " + std::to_string(total) + " bytes";
        for (const std::string& m : result.notes) failure += "; " + m;
    }
    if (!out.Close() && failure.empty()) failure = part + ": cannot be written: " + platform::HostLastError();
    if (!failure.empty()) {
        platform::HostRemoveFile(part);
        Fail(failure);
    }
    fs::rename(HostPath(part), HostPath(imagePath), ec);
    if (ec) {
        platform::HostRemoveFile(part);
        Fail(imagePath + ": cannot be written: " + ec.message());
    }
    result.bytes = done;
    return result;
}

}  // namespace tool
