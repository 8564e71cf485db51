// Opening a file, folder or address on Windows: the shell's own "open", with the
// working folder given, and its result code passed on as it is (above 32 means
// started), which is what the program was written against.
#include <cstdint>

#include "platform/opener.h"
#include "platform/win32/Win32util.h"

#include <shellapi.h>

namespace platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

}  // namespace

bool IsAddress(std::string_view target) {
    return target.find("://") != std::string_view::npos || StartsWithNoCase(target, "mailto:");
}

std::vector<std::string> SplitParams(std::string_view params) {
    std::vector<std::string> out;
    std::string cur;
    bool inArg = false, quoted = false;
    for (char c : params) {
        if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) out.push_back(cur);
            cur.clear();
            inArg = false;
        } else {
            cur += c;
            inArg = true;
        }
    }
    if (inArg) out.push_back(cur);
    return out;
}

std::string FindOnPath(const std::string& name) {
    if (name.empty() || name.find_first_of("/\\:") != std::string::npos) return {};
    const std::wstring w = win32::Widen(name);
    wchar_t found[MAX_PATH * 4];
    const DWORD n = SearchPathW(nullptr, w.c_str(), L".exe", MAX_PATH * 4, found, nullptr);
    if (n == 0 || n >= MAX_PATH * 4) return {};
    return win32::Narrow(std::wstring_view(found, n));
}

int OpenWithDesktop(const std::string& target, const std::string& params, const std::string& hostDir) {
    if (target.empty()) return kOpenFileNotFound;
    // An address keeps its slashes; a host path gets backslashes, which the shell
    // needs to find a folder or a program.
    const bool address = IsAddress(target);
    const std::wstring file = address ? win32::Widen(target) : win32::HostWide(target);
    const std::wstring args = win32::Widen(params);
    const std::wstring dir = win32::HostWide(hostDir);
    // A missing file is told from a missing folder the same way on every Windows
    // (and wine): 2 when the folder is there, 3 when it is not. A bare name is left
    // to the shell, which looks for it along the search path.
    const size_t slash = file.find_last_of(L'\\');
    if (!address && slash != std::wstring::npos && GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::wstring folder = file.substr(0, slash == 2 && file[1] == L':' ? 3 : slash);
        const DWORD a = GetFileAttributesW(folder.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? kOpenFileNotFound : kOpenPathNotFound;
    }
    if (!dir.empty()) {
        const DWORD a = GetFileAttributesW(dir.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return kOpenPathNotFound;
    }
    // Shell extensions that handle the file may need COM on this thread.
    win32::ComScope com;
    const HINSTANCE r = ShellExecuteW(nullptr, L"open", file.c_str(), args.empty() ? nullptr : args.c_str(),
                                      dir.empty() ? nullptr : dir.c_str(), SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<intptr_t>(r));
}

}  // namespace platform
