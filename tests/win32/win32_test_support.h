// What the Win32 tests share: wide names for checking the file system behind the
// platform layer's back, and Windows paths for a test folder.
#pragma once

#include <windows.h>

#include <string>

#include "platform/paths.h"
#include "support/test_support.h"

namespace wintest {

inline std::wstring Wide(const std::string& utf8) {
    std::wstring w(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), static_cast<int>(w.size()));
    w.resize(static_cast<size_t>(n > 0 ? n : 0));
    return w;
}

inline DWORD Attributes(const std::string& hostPath) { return GetFileAttributesW(Wide(hostPath).c_str()); }

// Every name in a folder as the file system spells it, in UTF-16.
inline std::vector<std::wstring> WideNames(const std::string& hostFolder) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((Wide(hostFolder) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") out.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

// A temporary folder reached as drive T: of the program's drive table.
class DriveFolder {
public:
    DriveFolder() { platform::Drives().Map('T', tmp.path()); }
    ~DriveFolder() { platform::Drives().Unmap('T'); }
    testsupport::TempDir tmp;
};

}  // namespace wintest
