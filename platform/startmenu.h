// The Start menu's "Programs" folders and the shortcuts in them, on whatever
// desktop the host has: on Linux the desktop's application folders with desktop
// entries (see desktopmenu.h), on Windows the shell's folders named in the registry
// with shell links (.lnk). The installer's shell utilities go through these alone.
#pragma once

#include <string>

namespace platform {

// The all-users or the current user's "Programs" folder as a host folder (UTF-8,
// no trailing separator); empty when the desktop names none. It need not exist yet.
std::string ProgramsFolderOnHost(bool allUsers);

// Whether the current user can make shortcuts for all users: the all-users
// "Programs" folder and whatever else the desktop keeps its groups in can be
// written, or made where they are missing. Always so on Windows, whose shell says
// so itself when a shortcut cannot be saved; on Linux those folders are the
// administrator's.
bool CanWriteCommonPrograms();

// Whether the desktop's menu can start hostTarget from a shortcut by itself. On
// Linux a Windows program needs wine, and menus hide an entry whose program is not
// there; on Windows the shell starts whatever it has a shortcut to.
bool MenuCanStart(const std::string& hostTarget);

// Saves a shortcut named name (UTF-8, no extension) in hostFolder, which exists and
// is the "Programs" folder of the same users or a group folder in it, that starts
// hostTarget (a program, a document or a folder) in hostWorkDir (may be empty).
// False when the shortcut could not be saved.
bool SaveProgramsShortcut(bool allUsers, const std::string& hostFolder, const std::string& name,
                          const std::string& hostTarget, const std::string& hostWorkDir);

}  // namespace platform
