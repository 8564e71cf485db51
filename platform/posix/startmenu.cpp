// The Start menu of a Linux desktop is its application folders.
#include "platform/startmenu.h"

#include "platform/opener.h"
#include "platform/posix/desktopmenu.h"

namespace platform {

std::string ProgramsFolderOnHost(bool allUsers) { return DesktopMenuFolders(allUsers).applications; }

bool CanWriteCommonPrograms() { return CanWriteMenuFolders(DesktopMenuFolders(true)); }

bool MenuCanStart(const std::string& hostTarget) {
    const TargetKind kind = ClassifyTarget(hostTarget);
    return (kind != TargetKind::WindowsProgram && kind != TargetKind::WindowsInstaller) || !FindOnPath("wine").empty();
}

bool SaveProgramsShortcut(bool allUsers, const std::string& hostFolder, const std::string& name,
                          const std::string& hostTarget, const std::string& hostWorkDir) {
    return SaveMenuShortcut(DesktopMenuFolders(allUsers), hostFolder, name, hostTarget, hostWorkDir);
}

}  // namespace platform
