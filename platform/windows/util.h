// What the Windows back end's files share: the program's host paths are UTF-8
// strings, and every call into the system converts them to UTF-16 and uses the
// wide ("W") functions, so names show right whatever code page the reader's
// Windows is set to.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 to UTF-16 and back; broken UTF-8 becomes U+FFFD, as the system does it.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A host path for a wide call: UTF-16, with the forward slashes that the portable
// code joins components with turned into backslashes (the shell and a few file
// calls take only backslashes).
std::wstring HostWide(std::string_view hostPath);

// The system's text for an error code, as UTF-8, without the trailing line break.
std::string ErrorText(DWORD code);

// An environment variable as UTF-8; empty when it is not set.
std::string Environment(const wchar_t* name);

// Whether the last component of a path is one of the DOS device names (CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9), with or without an extension. Such a
// name opens the device instead of a file in the folder.
bool IsDeviceName(std::wstring_view path);

// COM for the calling thread for as long as the object lives. A thread whose
// COM was already set up in another mode keeps it; COM works there all the same.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
    bool mustUninit_ = false;
};

}  // namespace platform::win32
