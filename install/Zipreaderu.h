// The ZIP reader component. The main window owns one (UZF) to take the font and
// picture streams out of the resource archives; the installer owns another (ZF) to
// unpack a program archive below the folder the user chose.
//
// Only what the disc's archives use is read: stored and deflated members of
// single-volume archives, no encryption, no ZIP64. Everything else fails cleanly,
// member by member. Nothing in an archive is trusted: sizes and offsets are checked
// against the file, inflating stops at the declared size, and member names cannot
// place a file outside the base folder.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stream.h"

// Errors of the reader.
//
// What throws and what does not:
// - OpenArchive, OpenArchiveFromMemory, OpenArchiveFromReader, ExtractToStream,
//   ExtractMemberToStream and ExtractFiles throw EJXZipError for every failure of
//   their own, and nothing else but std::bad_alloc; an error thrown by one of the
//   caller's own event handlers passes through as it is.
// - A cancel asked from an event is no error: ExtractFiles returns, and
//   Cancelled() says so.
// - VerifyMembers reports each fault to its callback and goes on; it throws only
//   when no archive is open.
// - LoadResourceArchive throws nothing: it returns false when neither the archive
//   nor the plain file could be read, with the archive's fault as text.
// - CloseArchive, IsOpen, Entries, FindMember and the other look-ups never throw.
//
// Every error has a kind, for the code that has to decide or tell a user what went
// wrong, and English text in Windows-1250 that names the archive and, where there
// is one, the member: for vemi-disc and for anyone reading a report. Nothing that
// decides looks at the text. ZipErrorReason gives the kind as a short Polish
// sentence for the installer's message box.
enum class ZipErrorKind {
    Usage,              // no archive open, no target folder set, a mode other than reading
    NotFound,           // the archive file is not there (or its name names no file)
    NoSuchMember,       // ExtractToStream: no member has that name
    Unreadable,         // the archive file cannot be opened or read
    NotAZip,            // the file is no ZIP archive at all
    Unsupported,        // ZIP64 or an archive split over several volumes
    CountMismatch,      // the end record counts other members than the directory holds
    Damaged,            // directory, local header or compressed data damaged, members overlap
    CrcMismatch,        // a member's data fails its CRC-32
    SizeMismatch,       // a member unpacks to another size than it declares
    UnsupportedMethod,  // packed with a method other than stored or deflated
    Encrypted,          // a member is encrypted
    TooLarge,           // a member is larger than SetSizeLimit allows
    UnsafeName,         // a name that could land outside the target or shows as another name
    NameTooDeep,        // a path of more levels or bytes than kMaxLevels, kMaxPathBytes
    DuplicateName,      // two members land on one name (letter case ignored)
    LinkInTarget,       // a folder on the way is a link already in the target folder
    InTheWay,           // a file stands where a folder must go, or a folder where a file must
    CannotCreate,       // a folder or file cannot be created (rights, a name the system refuses)
    CannotWrite,        // writing a file failed
    DiskFull,           // no room left on the target's disk
    OutOfMemory,        // the inflater could not be started
};

// The kind's own name in the code ("CrcMismatch"), for reports and test output.
const char* ZipErrorKindName(ZipErrorKind kind);
std::ostream& operator<<(std::ostream& out, ZipErrorKind kind);
// The kind as the installer tells it to a user: one short Polish sentence, in
// Windows-1250 ("Archiwum jest uszkodzone.").
std::string ZipErrorReason(ZipErrorKind kind);

class EJXZipError : public std::runtime_error {
public:
    // `member` is the member's name as shown to a user (see TJXZipReader::ShownName;
    // a name longer than any path may be is cut short), or empty when the error
    // concerns the archive as a whole.
    EJXZipError(ZipErrorKind kind, const std::string& message, std::string member = {})
        : std::runtime_error(message), kind_(kind), member_(std::move(member)) {}
    ZipErrorKind Kind() const noexcept { return kind_; }
    const std::string& Member() const noexcept { return member_; }

private:
    ZipErrorKind kind_;
    std::string member_;
};

// A member that VerifyMembers finds at fault.
struct TJXZipFault {
    size_t index = 0;  // in Entries()
    ZipErrorKind kind = ZipErrorKind::Damaged;
    std::string why;  // English, Windows-1250, without the member's own name ("fails its CRC check")
    // DuplicateName: the earlier member whose place this one would take; SIZE_MAX otherwise.
    size_t other = SIZE_MAX;
};

// One member as the central directory describes it.
struct TJXZipEntry {
    std::string name;  // Windows-1250, as stored (folders separated by "/")
    // The same name exactly, in UTF-8 as the host's file names are: the files are
    // made under it, so letters that Windows-1250 lacks (and shows as "?" in name)
    // are kept. Empty when the stored bytes are not the UTF-8 they claim to be.
    std::string hostName;
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t externalAttrs = 0;
    uint64_t headerOffset = 0;  // of the local header, in the file
    uint64_t dataOffset = 0;    // of the member's data, in the file
    bool isFolder = false;
    bool readOnly = false;
    // The permission bits a file gets on a system that has them, before the
    // process's umask takes its share: those stored by a Unix packer, otherwise
    // read and write for all (read for all when read-only). Never set-user-id,
    // set-group-id or sticky.
    uint32_t permissions = 0666;
    // Why the member cannot be extracted, and its kind; empty when it can.
    std::string problem;
    ZipErrorKind problemKind = ZipErrorKind::Damaged;
};

class TJXZipReader {
public:
    // A member's path below the target folder may have at most this many levels
    // (its folders and its file) and this many bytes (UTF-8, "/" between levels).
    // A disc's programs stay far below both; an archive beyond them is broken or
    // hostile and is refused with NameTooDeep.
    static constexpr size_t kMaxLevels = 128;
    static constexpr size_t kMaxPathBytes = 1024;

    TJXZipReader();
    ~TJXZipReader();
    TJXZipReader(const TJXZipReader&) = delete;
    TJXZipReader& operator=(const TJXZipReader&) = delete;

    // Full Windows path of the archive (looked up through the drive table).
    void SetFileName(const std::string& winPath) { fileName_ = winPath; }
    const std::string& FileName() const { return fileName_; }

    // Mode 0 is read-only, the only mode there is. Reads the directory; an archive
    // opened before is closed first.
    void OpenArchive(int mode = 0);
    // The same on an archive already in memory (tests and fuzzing).
    void OpenArchiveFromMemory(std::vector<uint8_t> bytes);
    // The same on an archive of `size` bytes read through `readAt`, which fills buf
    // with n bytes from an offset and answers false when it cannot (an archive
    // inside a disc image, read where it lies). Messages name FileName().
    using ReadAtFunction = std::function<bool(uint64_t offset, void* buf, size_t n)>;
    void OpenArchiveFromReader(uint64_t size, ReadAtFunction readAt);
    void CloseArchive();
    bool IsOpen() const;

    const std::vector<TJXZipEntry>& Entries() const { return entries_; }
    // The first member whose stored path, or failing that whose file-name part,
    // equals the name, ignoring letter case ("/" and "\" alike); -1 when none.
    int FindMember(std::string_view name) const;
    // The same by the exact name in UTF-8 (hostName).
    int FindHostMember(std::string_view utf8Name) const;

    // Writes the member's uncompressed bytes into the stream from its current
    // position. On failure the stream is left as it was before the call.
    void ExtractToStream(std::string_view name, platform::MemoryStream& out);
    // The same for the member at an index of Entries().
    void ExtractMemberToStream(size_t index, platform::MemoryStream& out);

    void SetBaseDir(const std::string& winPath) { baseDir_ = winPath; }
    const std::string& BaseDir() const { return baseDir_; }
    // Extracts every member whose stored path or file-name part matches the mask,
    // in directory order, below the base folder. Returns the number of members
    // written. The names of all of them are judged first: one that is unsafe, too
    // deep or taken twice refuses the archive before anything is written. Data is
    // judged as it is unpacked: a failing member ends the extraction with
    // EJXZipError, and what was written before it stays. A cancel from an event
    // ends it early without an error (see Cancelled()): a member still being
    // unpacked is thrown away, one whose every byte was written and checked (its
    // events at 100) is kept, and nothing after it is begun. Folders already in
    // the target are used as they are, but a link there is never followed
    // (LinkInTarget).
    int ExtractFiles(const std::string& mask = "*.*");
    bool Cancelled() const { return cancelled_; }
    // The member being extracted, while ExtractFiles raises its events; null at
    // other times.
    const TJXZipEntry* CurrentEntry() const { return current_; }

    // Reads every member as ExtractFiles would and writes nothing: each file's data
    // is unpacked to nowhere with its size and CRC checked, and each name must be one
    // that ExtractFiles accepts and must not land where another member lands (letter
    // case ignored, as on the target's file system). Every member at fault is
    // reported to `fault`; the result is the number of members without a fault.
    // Raises EJXZipError only when no archive is open.
    int VerifyMembers(const std::function<void(const TJXZipFault& fault)>& fault);

    // A member's name as the program shows it: Windows-1250, "\" between folders,
    // and every control character as "?", so that no name is cut short or shows
    // as another one.
    static std::string ShownName(std::string_view name);

    // Members that would unpack to more bytes than this fail instead (fuzzing keeps
    // its memory small this way). No limit by default.
    void SetSizeLimit(uint64_t bytes) { sizeLimit_ = bytes; }

    // Raised by ExtractFiles: 0 at the start of each member, while its data is
    // processed, 100 at its end; the name as stored with "/" turned into "\".
    std::function<void(const std::string& name, double percent, bool& cancel)> OnFileProgress;
    // The share of the whole extraction, from 0 to 100.
    std::function<void(double percent, bool& cancel)> OnOverallProgress;

    // File-mask matching as ExtractFiles does it: letter case ignored, "*" and "?",
    // and a trailing ".*" also matches a name without a dot.
    static bool MatchesMask(std::string_view mask, std::string_view name);

private:
    class Source;
    class Sink;
    class FolderCache;
    class FileWriter;
    struct Plan;
    enum class Outcome { Done, Cancelled };
    // A failure found in a member before it becomes an error: its kind and the
    // English words that follow the member's name ("fails its CRC check"). Nothing
    // is wrong while `why` is empty.
    struct Fault {
        ZipErrorKind kind = ZipErrorKind::Damaged;
        std::string why;
        explicit operator bool() const { return !why.empty(); }
    };

    void ReadDirectory();
    void CheckDataRanges(uint64_t directoryStart);
    Outcome Decode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress);
    // What Decode does, with the failure returned instead of raised.
    Fault TryDecode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress, Outcome& outcome);
    // The member's path as levels below the target, or why it cannot be unpacked
    // under its name at all.
    static Fault PlanName(const TJXZipEntry& e, Plan& plan);
    static Fault SplitLevels(std::string_view name, std::vector<std::string>& parts);
    // Whether the member is in place afterwards (cancelled_ may be set all the same).
    bool ExtractOne(const TJXZipEntry& e, const Plan& plan, size_t order, FolderCache& folders, FileWriter& writer,
                    uint64_t weightBefore, uint64_t totalWeight);
    bool RaiseFile(const std::string& name, double percent);
    bool RaiseOverall(double percent);
    [[noreturn]] void Fail(const TJXZipEntry& e, ZipErrorKind kind, const std::string& why) const;

    std::string fileName_;
    std::string baseDir_;
    std::unique_ptr<Source> source_;
    std::vector<TJXZipEntry> entries_;
    std::vector<uint8_t> outBuf_;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    uint64_t sizeLimit_ = UINT64_MAX;
    bool cancelled_ = false;
    const TJXZipEntry* current_ = nullptr;
};

// A resource stream of the disc: the member of a resource archive, or, when the
// archive cannot be opened, lacks the member or fails while unpacking, the plain
// member file beside it. The stream is positioned at 0; false when neither could be
// read (the stream is then empty). `archiveFault`, when given, receives why the
// archive was not used ("" when it was).
bool LoadResourceArchive(TJXZipReader& zip, const std::string& folder, const std::string& archive,
                         const std::string& member, platform::MemoryStream& out, std::string* archiveFault = nullptr);

// Where LoadResourceArchive takes the two files from: by default the drive table's
// files; the disc tool gives the files of a disc image. `read` fills bytes with a
// whole file named by its Windows path and answers whether it could; `exists`
// tells a missing file from one that cannot be read.
struct ResourceFiles {
    std::function<bool(const std::string& winPath, std::vector<uint8_t>& bytes)> read;
    std::function<bool(const std::string& winPath)> exists;
};
bool LoadResourceArchive(TJXZipReader& zip, const std::string& folder, const std::string& archive,
                         const std::string& member, platform::MemoryStream& out, std::string* archiveFault,
                         const ResourceFiles& files);
