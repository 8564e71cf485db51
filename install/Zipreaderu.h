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
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stream.h"

// Every failure of the reader; the message is readable Windows-1250 text.
class EJXZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
    bool executable = false;  // packed on Unix with an execute bit
    // Why the member cannot be extracted; empty when it can.
    std::string problem;
};

class TJXZipReader {
public:
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
    // written. A cancel from an event ends it early without an error (see
    // Cancelled()); a failing member ends it with EJXZipError.
    int ExtractFiles(const std::string& mask = "*.*");
    bool Cancelled() const { return cancelled_; }
    // The member being extracted, while ExtractFiles raises its events; null at
    // other times.
    const TJXZipEntry* CurrentEntry() const { return current_; }

    // Reads every member as ExtractFiles would and writes nothing: each file's data
    // is unpacked to nowhere with its size and CRC checked, and each name must be one
    // that ExtractFiles accepts and must not land where another member lands (letter
    // case ignored, as on the target's file system). Every member at fault is
    // reported to `fault` with its index and the reason; the result is the number of
    // members without a fault. Raises EJXZipError only when no archive is open.
    int VerifyMembers(const std::function<void(size_t index, const std::string& why)>& fault);

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
    enum class Outcome { Done, Cancelled };

    void ReadDirectory();
    void CheckDataRanges(uint64_t directoryStart);
    Outcome Decode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress);
    // What Decode does, with the reason for a failure returned ("" when none).
    std::string TryDecode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress,
                          Outcome& outcome);
    void ExtractOne(const TJXZipEntry& e, size_t order, FolderCache& folders, FileWriter& writer, uint64_t weightBefore,
                    uint64_t totalWeight);
    bool RaiseFile(const std::string& name, double percent);
    bool RaiseOverall(double percent);
    [[noreturn]] void Fail(const TJXZipEntry& e, const std::string& why) const;

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
