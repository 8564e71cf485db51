// The logic speaks Windows paths ("D:\CDINST\TXT\X.TXT"), in Windows-1250. This is
// where they meet the host: a drive table maps drive letters to host folders, and
// lookups ignore letter case component by component, as the disc's file system does.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Folder part with its trailing backslash ("D:\A\B.TXT" -> "D:\A\"); "" when none.
std::string ExtractFilePath(std::string_view path);
// File-name part ("D:\A\B.TXT" -> "B.TXT").
std::string ExtractFileName(std::string_view path);
// Extension with its dot ("B.TXT" -> ".TXT"); "" when the name has none.
std::string ExtractFileExt(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);
std::string IncludeTrailingBackslash(std::string_view path);

class DriveTable {
public:
    // Maps a drive letter (either case) to a host folder (UTF-8, absolute).
    void Map(char letter, const std::string& hostFolder);
    void Unmap(char letter);
    std::optional<std::string> HostFolder(char letter) const;
    // The mapped drive letters, upper case, in alphabetical order.
    std::vector<char> Letters() const;
    // The drive letter whose host folder holds hostPath, with the Windows path for it.
    std::optional<std::string> ToWindows(const std::string& hostPath) const;

    // The host path of a Windows path: drive looked up, every existing component
    // matched ignoring case, the rest taken as written (converted to UTF-8). ".."
    // never climbs above the drive's folder. A path without a drive is taken
    // relative to the current folder. nullopt when the drive is not mapped.
    std::optional<std::string> ToHost(std::string_view winPath) const;

    void SetCurrentDir(const std::string& winPath) { current_ = winPath; }
    const std::string& CurrentDir() const { return current_; }

    // D: the disc (the folder of the program, or VEMI_DISC_ROOT), C: the home folder
    // (or VEMI_DRIVE_C), Z: the host's root.
    void SetUpDefaults(const std::string& programFolder);

private:
    std::map<char, std::string> drives_;
    std::string current_;
};

DriveTable& Drives();

// File attributes in the program's own terms; they map onto the host as a missing
// write bit (read-only) and a leading dot (hidden).
// A link (a reparse point on Windows) is reported as such by ListDirectory, with the
// attributes of what it leads to, so that a walk through a folder can leave it alone.
enum FileAttr : uint32_t {
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrDirectory = 16,
    kAttrArchive = 32,
    kAttrLink = 0x400,
};

// All of these take Windows paths and go through Drives().
bool FileExists(std::string_view winPath);       // a file, not a folder
bool DirectoryExists(std::string_view winPath);  // a folder
bool ReadWholeFile(std::string_view winPath, std::vector<uint8_t>& out);
bool WriteWholeFile(std::string_view winPath, const std::vector<uint8_t>& data);
bool ForceDirectories(std::string_view winPath);  // every missing level
bool DeleteFileAt(std::string_view winPath);
std::optional<uint32_t> GetAttributes(std::string_view winPath);
bool SetAttributes(std::string_view winPath, uint32_t attrs);
struct DirEntry {
    std::string name;  // Windows-1250
    uint32_t attrs = 0;
    // False when Windows-1250 cannot spell the host's name: name then holds "?"
    // in its place and leads nowhere (or somewhere else).
    bool exact = true;
    // The host's own name (UTF-8), which always leads back to the entry.
    std::string hostName;
};
// Every entry of a folder except "." and "..", in the order the host returns them.
std::vector<DirEntry> ListDirectory(std::string_view winPath);
// The same for a host folder, and attributes set on a host path: for walks that must
// reach every entry, whatever its name holds.
std::vector<DirEntry> ListHostDirectory(const std::string& hostFolder);
bool SetHostAttributes(const std::string& hostPath, uint32_t attrs);
// A host folder joined with a name of one of its entries.
std::string HostChild(const std::string& hostFolder, const std::string& hostName);

// Host-side helpers used by the ZIP reader and the tools.
bool HostFileExists(const std::string& hostPath);
bool HostDirectoryExists(const std::string& hostPath);
bool HostReadFile(const std::string& hostPath, std::vector<uint8_t>& out);
bool HostWriteFile(const std::string& hostPath, const void* data, size_t size);
bool HostMakeDirectories(const std::string& hostPath);
// The folder that holds the running executable.
std::string ExecutableFolder();

}  // namespace platform
