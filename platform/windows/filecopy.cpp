// The folder copy on Windows is the shell's own file operation, with its own
// progress window and its questions before a file is replaced.

// Before the system's headers, whose macros would rename the window system's
// CreateWindow and MessageBox.
#include "platform/system.h"

#include <objbase.h>
#include <shellapi.h>

#include "platform/filecopy.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/windows/util.h"

namespace platform {

using win32::HostWide;

// The owner window is the one that asked for the copy (the wizard): the shell's
// progress window and its questions belong to it, so they come in front of it and
// of the menu behind it. Without an owner they open below both, which stay on top.
int CopyFolderTree(Window* owner, const std::string& sourceFolder, const std::string& destFolder, const std::string& title) {
    auto source = Drives().ToHost(sourceFolder);
    auto dest = Drives().ToHost(destFolder);
    // A source that is not there is a failure, which wine's shell would report as a
    // copy of nothing.
    if (!source || !dest || !HostDirectoryExists(*source) || !HostMakeDirectories(*dest)) return kCopyFailed;
    // Both lists end with two zero characters; "*.*" in the source takes every file
    // and folder in it, folders with their contents.
    std::wstring from = HostWide(*source);
    if (!from.empty() && from.back() != L'\\') from += L'\\';
    from += L"*.*";
    from.push_back(L'\0');
    std::wstring to = HostWide(*dest);
    to.push_back(L'\0');
    const std::wstring caption = win32::Widen(Cp1250ToUtf8(title));
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner ? static_cast<HWND>(owner->NativeHandle()) : nullptr;
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    // No flags: the shell shows its own progress and asks before it replaces a file.
    op.fFlags = 0;
    op.lpszProgressTitle = caption.c_str();
    win32::ComScope com;
    const int r = SHFileOperationW(&op);
    // The result decides: wine's shell marks the operation aborted when the user
    // keeps a file ("Nie"), yet the copy went on to its end.
    if (r == 0) return kCopyDone;
    return op.fAnyOperationsAborted ? kCopyCancelled : kCopyFailed;
}

}  // namespace platform
