// Pieces of Windows paths that both hosts' drive tables take apart the same way.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

inline bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

// The non-empty components between backslashes (or slashes).
inline std::vector<std::string> SplitPathComponents(std::string_view s) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (IsPathDelimiter(c)) {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// The components of a path below its drive with "." dropped and each ".." taking
// away the one before it; ".." at the root stays at the root, as Windows has it.
inline std::vector<std::string> ResolvedPathComponents(std::string_view s) {
    std::vector<std::string> stack;
    for (auto& part : SplitPathComponents(s)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!stack.empty()) stack.pop_back();
            continue;
        }
        stack.push_back(std::move(part));
    }
    return stack;
}

// What the drive table asks of the host's file system; each system's paths.cpp
// answers it, and the table's own logic (paths.cpp at the root) is the same for both.
namespace host {

// A drive's folder as the table keeps it: trailing separators gone, but a root
// keeps its own ("/", "C:\\").
std::string TrimFolder(const std::string& hostFolder);

// When hostPath is folder or lies below it: the rest of the path after the folder,
// and in matched the length of the folder as the host compares it (the longest
// matching drive wins). nullopt otherwise.
std::optional<std::string> PathBelow(const std::string& hostPath, const std::string& folder, size_t& matched);

// folder/name as the host's file system writes the name, found ignoring letter case
// as the disc's file system does; nullopt when there is no such entry.
std::optional<std::string> ActualName(const std::string& folder, const std::string& name);

// folder joined with one name by the host's separator.
std::string JoinName(const std::string& folder, const std::string& name);

}  // namespace host

}  // namespace platform
