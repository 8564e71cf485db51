#include "install/Jxshellutils.h"

#include <array>

#include "platform/filecopy.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "platform/startmenu.h"
#include "platform/text.h"

namespace {

// The desktop's folder as the program names it: a Windows path through the drive
// table. A folder that Windows-1250 cannot spell would come back as another name
// ("?" in place of a letter), so it counts as none.
std::string ProgramsFolder(bool allUsers) {
    const std::string host = platform::ProgramsFolderOnHost(allUsers);
    if (host.empty() || !platform::FitsCp1250(host)) return {};
    return platform::Drives().ToWindows(host).value_or(std::string());
}

int ListGroups(const std::string& folder, std::vector<std::string>& list) {
    if (folder.empty()) return 0;
    int count = 0;
    for (const platform::DirEntry& e : platform::ListDirectory(folder)) {
        // A name the code page cannot hold would name some other folder (or none):
        // it is left out rather than offered under a false name.
        if (!(e.attrs & platform::kAttrDirectory) || !e.exact || e.name.empty() || e.name[0] == '.') continue;
        list.push_back(e.name);
        ++count;
    }
    return count;
}

bool HasSeparator(const std::string& s) { return s.find_first_of("\\/") != std::string::npos; }

}  // namespace

std::string CommonProgramsFolder() { return ProgramsFolder(true); }

std::string UserProgramsFolder() { return ProgramsFolder(false); }

bool CanMakeCommonShortcuts() { return platform::CanWriteCommonPrograms(); }

int ListCommonGroups(std::vector<std::string>& list) { return ListGroups(CommonProgramsFolder(), list); }

int ListUserGroups(std::vector<std::string>& list) { return ListGroups(UserProgramsFolder(), list); }

bool CreateShortcut(const std::string& target, const std::string& group, const std::string& name, bool allUsers) {
    const std::string base = allUsers ? CommonProgramsFolder() : UserProgramsFolder();
    // One group level below the "Programs" folder, never above it: a group is a
    // single folder name (or none, for the folder itself), a name is a file name.
    if (base.empty() || target.empty() || name.empty() || HasSeparator(group) || HasSeparator(name) || group == "." ||
        group == "..")
        return false;
    const std::string folder = group.empty() ? base : base + "\\" + group;
    if (!platform::ForceDirectories(folder)) return false;

    auto hostFolder = platform::Drives().ToHost(folder);
    auto hostTarget = platform::Drives().ToHost(target);
    if (!hostFolder || !hostTarget) return false;
    // The working folder is the target's folder, without its trailing backslash.
    const std::string workDir = platform::ExcludeTrailingBackslash(platform::ExtractFilePath(target));
    std::string hostWorkDir;
    if (!workDir.empty()) {
        auto h = platform::Drives().ToHost(workDir);
        if (!h) return false;
        hostWorkDir = *h;
    }
    return platform::SaveProgramsShortcut(allUsers, *hostFolder, platform::Cp1250ToUtf8(name), *hostTarget, hostWorkDir);
}

bool ShortcutStartsFromMenu(const std::string& target) {
    const auto host = platform::Drives().ToHost(target);
    return !host || platform::MenuCanStart(*host);
}

std::string SanitizeName(const std::string& text) {
    static const std::array<bool, 256> allowed = [] {
        std::array<bool, 256> a{};
        const std::string set =
            platform::Utf8ToCp1250(" abcdefghijklmnopqrstuvwxyząęćłńóśżź1234567890!@#$%^&()_-+={}[];.,");
        for (char c : set) {
            a[static_cast<unsigned char>(c)] = true;
            a[static_cast<unsigned char>(platform::UpperCp1250(c))] = true;
        }
        return a;
    }();
    std::string out;
    for (char c : text)
        if (allowed[static_cast<unsigned char>(c)]) out += c;
    return out;
}

const char* const kFallbackProgramName = "Program";

std::string PlainName(const std::string& name, const std::string& fallback) {
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return end == 0 ? fallback : name.substr(0, end);
}

std::string FolderNameForProgram(const std::string& programName) {
    std::string s = programName;
    for (char& c : s)
        if (c == '/' || c == '\\' || c == '|' || c == ':' || c == '"' || c == '\'') c = '_';
    return PlainName(s, kFallbackProgramName);
}

std::string ShortcutFileName(const std::string& shortcutName) {
    return PlainName(SanitizeName(shortcutName), kFallbackProgramName);
}

std::string GroupFolderName(const std::string& group) { return PlainName(SanitizeName(group), ""); }

void StartWithFolder(const std::string& file, const std::string& folder) { platform::OpenWindowsPath(file, folder); }

void StartFile(const std::string& path) { platform::OpenWindowsPath(path, ""); }

int ShellCopyFolder(platform::Window* owner, const std::string& sourceFolder, const std::string& destFolder) {
    return platform::CopyFolderTree(owner, sourceFolder, destFolder, "Kopiowanie...");
}
