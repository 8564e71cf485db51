// The Start menu on Windows, through the shell itself: the "Programs" folders as
// the registry names them, shortcuts as shell links saved by the shell's own link
// object.
#include <algorithm>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/paths.h"
#include "platform/startmenu.h"
#include "platform/text.h"
#include "platform/windows/util.h"

namespace platform {
namespace {

using win32::HostWide;
using win32::Narrow;

const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A text value of a key, read only; empty on any failure (no key, no value, a value
// that is no text).
std::wstring ReadRegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
    HKEY k;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    std::wstring out;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(k, value, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) &&
        bytes > 0 && bytes < (1u << 16)) {
        std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        if (RegQueryValueExW(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) == ERROR_SUCCESS) {
            buf.resize(std::min<size_t>(got / sizeof(wchar_t), buf.size()));
            while (!buf.empty() && buf.back() == L'\0') buf.pop_back();
            out = buf;
        }
    }
    RegCloseKey(k);
    if (type == REG_EXPAND_SZ && !out.empty()) {
        std::wstring expanded(32768, L'\0');
        const DWORD n = ExpandEnvironmentStringsW(out.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (n == 0 || n > expanded.size()) return {};
        expanded.resize(n - 1);
        out = expanded;
    }
    return out;
}

// Releases a COM interface when it goes out of scope.
template <class I>
struct Com {
    I* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
};

}  // namespace

std::string ProgramsFolderOnHost(bool allUsers) {
    std::wstring folder = allUsers ? ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs")
                                   : ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, L"Programs");
    // Only an absolute folder will do: anything else would put the shortcuts
    // wherever the program happens to be.
    if (folder.size() < 3 || !((folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) || folder.rfind(L"\\\\", 0) == 0))
        return {};
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return Narrow(folder);
}

bool CanWriteCommonPrograms() { return true; }

bool MenuCanStart(const std::string&) { return true; }

bool SaveProgramsShortcut(bool, const std::string& hostFolder, const std::string& name, const std::string& hostTarget,
                          const std::string& hostWorkDir) {
    win32::ComScope com;
    if (!com.Ready() || name.empty()) return false;
    Com<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link.p))))
        return false;
    if (FAILED(link.p->SetPath(HostWide(hostTarget).c_str()))) return false;
    if (!hostWorkDir.empty() && FAILED(link.p->SetWorkingDirectory(HostWide(hostWorkDir).c_str()))) return false;
    Com<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
    std::wstring path = HostWide(hostFolder);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += win32::Widen(name) + L".lnk";
    return SUCCEEDED(file.p->Save(path.c_str(), TRUE));
}

}  // namespace platform
