// Pieces of Windows paths that both hosts' drive tables take apart the same way.
#pragma once

#include <string>
#include <string_view>
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

}  // namespace platform
