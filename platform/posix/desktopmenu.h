// The Start menu on a Linux desktop. The "Programs" folder is a folder of desktop
// entries (freedesktop .desktop files) that the desktop's application menu shows;
// a program group is a sub-folder of it, shown as a sub-menu through a directory
// entry that names it and a menu file merged into the application menu that lists
// its entries. There is one such folder for the current user and one for all users.
//
// Where they are:
//   current user: $XDG_DATA_HOME/applications (default ~/.local/share/applications),
//                 the sub-menus' names in $XDG_DATA_HOME/desktop-directories, the
//                 merged menus in $XDG_CONFIG_HOME/menus/applications-merged
//                 (default ~/.config/...);
//   all users:    /usr/local/share/applications, /usr/local/share/desktop-directories
//                 and /etc/xdg/menus/applications-merged.
// VEMI_COMMON_PROGRAMS names another all-users applications folder (its
// desktop-directories folder is then the one next to it) and VEMI_COMMON_MENUS
// another all-users merge folder, so that tests and trial runs never write into the
// real system folders. Relative paths in these variables are ignored, as the
// desktop ignores them in its own.
#pragma once

#include <string>

namespace platform {

struct MenuFolders {
    std::string applications;  // the "Programs" folder: desktop entries, groups as sub-folders
    std::string directories;   // directory entries that name the sub-menus
    std::string mergedMenus;   // menu files merged into the application menu
};

// Host folders (UTF-8, no trailing slash); all empty when the current user has no
// home folder to speak of. None of them need exist yet.
MenuFolders DesktopMenuFolders(bool allUsers);

// Whether the folders can be written, each of them, or created where it is missing:
// the nearest of it and its parents that exists is a folder the user may add to.
// (The administrator may add to any folder, but a file in a folder's place stops
// everybody.) False when the applications folder is empty.
bool CanWriteMenuFolders(const MenuFolders& folders);

// The Exec value of a desktop entry that starts hostTarget the way the opener would:
// a Windows program through wine, a native program directly, a folder or a document
// through xdg-open. Quoted and escaped by the desktop-entry rules, ready to follow
// "Exec=".
std::string DesktopExecValue(const std::string& hostTarget);

// Saves a shortcut named name (UTF-8) to hostTarget, started in hostWorkDir (may be
// empty), as the desktop entry hostFolder/name.desktop. hostFolder is the
// applications folder of folders itself or one of its sub-folders, a group, which
// must exist; for a group the directory entry and the merged menu file are written
// too, and the menu lists every entry in the group's folder, so earlier shortcuts
// stay. Files are replaced whole (written beside and renamed over), never written
// through a link. False when anything could not be saved.
bool SaveMenuShortcut(const MenuFolders& folders, const std::string& hostFolder, const std::string& name,
                      const std::string& hostTarget, const std::string& hostWorkDir);

}  // namespace platform
