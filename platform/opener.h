// Opening a file, folder or address the way the desktop does: on Linux through
// xdg-open, wine or the program itself, on Windows through the shell's own "open".
// Everything the menu launches comes from a catalogue on a disc, so on Linux nothing
// here ever goes through a shell: every text reaches the started program as exactly
// one argument.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Result values in the manner of the shell's "open": above 32 means started.
enum OpenResult : int {
    kOpenFileNotFound = 2,
    kOpenPathNotFound = 3,
    kOpenBadFormat = 11,  // not a program the system could start
    kOpenNoOpener = 31,  // no program to open it with, or that program failed
    kOpenStarted = 42,
};

// Opens hostFile (a host path, or an address such as "http://..." or "mailto:...")
// in the working folder hostDir (may be empty):
//  - an address, a folder or a document goes to xdg-open as its only argument;
//  - a native program (execute bit and an ELF or "#!" header) is started directly
//    with params split on blanks;
//  - a Windows program (.exe, .com, .bat, .cmd, .msi) goes to wine when it is on
//    PATH, once its header shows that it is one (kOpenBadFormat otherwise).
// Never waits for the started program; waits at most about 1.5 s for xdg-open's own
// verdict. Leaves no child process behind to be reaped.
// On Windows the shell decides how to open what exists; a Windows program whose
// header says otherwise still gives kOpenBadFormat before the shell is asked.
int OpenWithDesktop(const std::string& hostFile, const std::string& params, const std::string& hostDir);

// What a host path is to the opener, which decides how it is started. A path that
// does not exist is judged by its extension alone (a Windows program or a document).
// On Windows the system's own programs are Windows programs; NativeProgram is for
// the programs a Linux kernel runs by itself.
enum class TargetKind { Folder, NativeProgram, WindowsProgram, WindowsInstaller, Document };
TargetKind ClassifyTarget(const std::string& hostPath);

// The lower-case extension of a host path's last component, without the dot.
std::string HostExtension(const std::string& hostPath);
// exe, com, bat, cmd and msi.
bool IsWindowsProgramExtension(const std::string& ext);
// Whether a file can be what its extension says, as the system loader would see it:
// a program is an MZ header whose e_lfanew leads to "PE\0\0", with its headers and
// every section's data inside the file (a download cut short fails here); an
// installer package (msi) is a compound document; batch files and command scripts
// (bat, cmd) are plain text and always pass.
bool LooksLikeWindowsProgram(const std::string& hostPath, const std::string& ext);

// The shell's "open" on one of the program's own paths: file is a Windows path (or
// an address, which passes as it is) and dir a Windows working folder or empty; the
// drive table maps both onto the host and Sys().ShellExecute does the rest. Above 32
// on success; a path on no mapped drive gives kOpenPathNotFound.
int OpenWindowsPath(const std::string& file, const std::string& dir);

// An address rather than a file: contains "://" or begins with "mailto:" (any case).
bool IsAddress(std::string_view target);

// Splits a command-line parameter text on blanks; double quotes group blanks into
// one argument and are removed.
std::vector<std::string> SplitParams(std::string_view params);

// The full path of an executable named name on PATH; "" when there is none.
std::string FindOnPath(const std::string& name);

}  // namespace platform
