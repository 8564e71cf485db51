// Opening a file, folder or address on Windows: the shell's own "open", with the
// working folder given, and its result code passed on as it is (above 32 means
// started), which is what the program was written against.
#include <cstdint>

#include "platform/opener.h"
#include "platform/windows/util.h"

#include <shellapi.h>

namespace platform {

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
    // A file named as a program that is none: wine would take it for a program of
    // another system and report it started, Windows would say the same as here.
    if (!address) {
        const TargetKind kind = ClassifyTarget(target);
        if ((kind == TargetKind::WindowsProgram || kind == TargetKind::WindowsInstaller) &&
            GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES && !LooksLikeWindowsProgram(target, HostExtension(target)))
            return kOpenBadFormat;
    }
    // Shell extensions that handle the file may need COM on this thread.
    win32::ComScope com;
    const HINSTANCE r = ShellExecuteW(nullptr, L"open", file.c_str(), args.empty() ? nullptr : args.c_str(),
                                      dir.empty() ? nullptr : dir.c_str(), SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<intptr_t>(r));
}

TargetKind ClassifyTarget(const std::string& hostPath) {
    const DWORD a = GetFileAttributesW(win32::HostWide(hostPath).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return TargetKind::Folder;
    const std::string ext = HostExtension(hostPath);
    if (ext == "msi") return TargetKind::WindowsInstaller;
    if (IsWindowsProgramExtension(ext)) return TargetKind::WindowsProgram;
    return TargetKind::Document;
}

}  // namespace platform
