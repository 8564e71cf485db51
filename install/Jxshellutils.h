// The installer's few dealings with the desktop's shell: the Start-menu "Programs"
// folders and the groups already in them, a shortcut in a group, names cleaned for
// use as file names, starting a file without the main window as its owner, and
// copying a folder tree with a progress window. No state; free functions only.
//
// Paths are Windows paths in Windows-1250, as everywhere in the program's logic; the
// platform layer maps them onto the host.
#pragma once

#include <string>
#include <vector>

namespace platform {
class Window;
}

// The all-users and the current user's Start-menu "Programs" folder; empty text when
// the desktop has none.
std::string CommonProgramsFolder();
std::string UserProgramsFolder();

// Whether shortcuts for all users can be made here at all: on Linux only the
// administrator may write the all-users menu.
bool CanMakeCommonShortcuts();

// Append the names (not paths) of the groups in the folder, in the order the file
// system gives them: every folder whose name does not begin with "."; hidden ones
// too. Return how many were appended; 0 when the folder cannot be searched.
int ListCommonGroups(std::vector<std::string>& list);
int ListUserGroups(std::vector<std::string>& list);

// A shortcut named name in the group (made with every missing level) below the
// all-users or the current user's "Programs" folder, starting target (a program
// file or a folder) with the target's folder as working folder. True when the
// shortcut was saved.
bool CreateShortcut(const std::string& target, const std::string& group, const std::string& name, bool allUsers);

// The text with every character removed that is not a letter of the Polish
// alphabet (either case), a digit, a space or one of !@#$%^&()_-+={}[];.,
std::string SanitizeName(const std::string& text);

// Whether the desktop's menu starts target (a Windows path) from its shortcut by
// itself: not a Windows program on a Linux desktop without wine.
bool ShortcutStartsFromMenu(const std::string& target);

// The name with the dots and blanks at its end removed, as Windows drops them from
// a file name (so that the name is the same file on every system); fallback when
// nothing is left, which is also what "." and ".." come to. The result is never
// the folder itself nor the one above it. The name must hold no separator.
std::string PlainName(const std::string& name, const std::string& fallback);

// The name that stands in for a program's own when nothing of it can name a file.
extern const char* const kFallbackProgramName;

// The folder name made from a program's name in the catalogue: the six characters
// / \ | : " ' replaced by "_", then made plain (kFallbackProgramName for nothing).
std::string FolderNameForProgram(const std::string& programName);
// The file name a shortcut is saved under and the group folder it goes into:
// cleaned (SanitizeName), then made plain. A shortcut that keeps nothing is named
// kFallbackProgramName; a group that keeps nothing is no group, and the shortcut
// goes into the "Programs" folder itself.
std::string ShortcutFileName(const std::string& shortcutName);
std::string GroupFolderName(const std::string& group);

// The shell's "open" on a file or folder, with the working folder given (or none);
// failures are not reported.
void StartWithFolder(const std::string& file, const std::string& folder);
void StartFile(const std::string& path);

// Copies everything inside sourceFolder (files and subfolders with their contents)
// into destFolder, in a progress window titled "Kopiowanie..." above owner, asking
// before a file is replaced. 0 when everything was copied; non-zero when the user
// stopped it or anything failed.
int ShellCopyFolder(platform::Window* owner, const std::string& sourceFolder, const std::string& destFolder);
