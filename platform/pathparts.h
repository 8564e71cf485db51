// Pieces of Windows paths that both hosts' drive tables take apart the same way.
#pragma once

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

}  // namespace platform
