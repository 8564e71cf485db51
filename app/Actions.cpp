// What a click on the main window does: run, install, open, copy, browse, the list
// views, the fixed links, the screenshot and the link line; and the small launch
// services the banners share.
#include "app/Mainu.h"
#include "catalogue/Discpaths.h"
#include "app/Showmapsu.h"
#include "install/Jxshellutils.h"
#include "install/Vemiinstu.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "platform/text.h"

using platform::W;

using platform::Sys;

namespace {
// The four fixed links of the bottom row.
const char* const kPublisherAddress = "http://www.wydawnictwo-vemi.pl";
const char* const kEditorsAddress = "mailto:redakcja@vemi-magazyn.pl";
const char* const kMagazineAddress = "http://www.vemi-magazyn.pl";
const char* const kDownloadAddress = "http://www.vemi-magazyn.pl/ftp";

}  // namespace

int TMN_FRM::ShellExecuteOpen(const std::string& file, const std::string& dir) {
    return platform::OpenWindowsPath(file, dir);
}

void TMN_FRM::ShowInfoMessage(const std::string& text) {
    Sys().MessageBox(text, "", platform::MsgKind::Information);
}

std::string TMN_FRM::MakeFolderName(const std::string& text) { return FolderNameForProgram(text); }

void TMN_FRM::OpenAddress(const std::string& address) {
    std::string a = address;
    const std::string l = platform::LowerCp1250(a);
    if (platform::StartsWith(l, "ftp.")) {
        // A host name without a scheme: the Windows shell guesses "ftp://" from the
        // name, a Linux desktop would take it for a file. ("www." names get "http://"
        // below, as every name without "@" does.)
        a = "ftp://" + a;
    } else if (platform::StartsWith(l, "http") || platform::StartsWith(l, "ftp")) {
        // as it is
    } else if (a.find('@') == std::string::npos) {
        a = "http://" + a;
    } else if (!platform::StartsWith(l, "mailto")) {
        a = "mailto:" + a;
    }
    // Whatever the text is, it reaches the desktop as an address, never as a path.
    int r = Sys().ShellExecute(platform::Cp1250ToUtf8(a), "", "");
    if (r <= 32)
        ShowInfoMessage(W("Łączenie z adresem:\n\n") + a);
    else
        MinimiseWindow();
}

int TMN_FRM::ShellOpen(const std::string& path) {
    int r = ShellExecuteOpen(path, platform::ExtractFilePath(path));
    return r > 32 ? 0 : r + 200;
}

void TMN_FRM::RunProgramFile(const std::string& folder, const std::string& fileName) {
    platform::Drives().SetCurrentDir(folder + "\\");
    if (discpaths::IsRunAddress(fileName)) {
        OpenAddress(fileName);
        return;
    }
    const std::string p = discpaths::RunPath(folder, fileName);
    if (ShellOpen(p) == 0)
        MinimiseWindow();
    else
        ShowInfoMessage(W("Nie można uruchomić pliku:\n\n") + p);
}

void TMN_FRM::RunFullPath(const std::string& path) {
    std::string folder = platform::ExtractFilePath(path);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    RunProgramFile(folder, platform::ExtractFileName(path));
}

void TMN_FRM::OpenInfoFile(const std::string& path) {
    if (ShellOpen(path) == 0)
        MinimiseWindow();
    else
        ShowInfoMessage(W("Nie można uruchomić pliku:\n\n") + path);
}

void TMN_FRM::BrowseFolder(const std::string& path) {
    std::string p = path;
    if (IsZipPath(p)) p = platform::ExtractFilePath(p);
    int r = ShellExecuteOpen(p, "");
    if (r <= 32)
        ShowInfoMessage(W("Nie można otworzyć folderu:\n\n") + p);
    else
        MinimiseWindow();
}

void TMN_FRM::CopyProgramFolder(const std::string& programPath) {
    std::string p = programPath;
    if (IsZipPath(p)) p = platform::ExtractFilePath(p);
    if (!p.empty() && p.back() == '\\') p.pop_back();
    if (!INST_FRM) return;
    Application& app = App();
    INST_FRM->CopySource = p;
    INST_FRM->ProgramFolderName = MakeFolderName(app.workCatalogue.GetField(app.selectedRecord, 0));
    INST_FRM->StartWizard(WizardMode::CopyFolder);
    INST_FRM->ShowModal();
}

void TMN_FRM::InstallFromArchive(const std::string& archivePath, const std::string& setupFile,
                                 const std::string& runFile) {
    if (!INST_FRM) return;
    Application& app = App();
    const std::string name = app.workCatalogue.GetField(app.selectedRecord, 0);
    INST_FRM->ArchivePath = archivePath;
    INST_FRM->ProgramFolderName = MakeFolderName(name);
    if (!setupFile.empty()) {
        INST_FRM->SetupFile = setupFile;
        INST_FRM->StartWizard(WizardMode::UnpackForSetup);
    } else {
        INST_FRM->DefaultMenuGroup = app.issueCode;
        INST_FRM->IssueFolder = app.issueCode;
        INST_FRM->ShortcutName = MakeFolderName(name);
        INST_FRM->RunFile = runFile;
        INST_FRM->StartWizard(WizardMode::InstallWithShortcut);
    }
    INST_FRM->ShowModal();
}

void TMN_FRM::DispatchAction(int x, int y) {
    Application& app = App();
    CurrentProgram& cp = app.current;
    auto active = [&](int i) { return app.buttonState[i] == 2; };
    int id = showmaps::HitTest(x, y);
    if (id == 32 && x > 759 + linkWidth) id = 0;
    switch (id) {
    case 1:
        if (!active(1)) return;
        if (platform::StartsWith(cp.runCommand, "^")) {
            if (active(5)) BrowseFolder(cp.programPath);
        } else {
            RunProgramFile(cp.programPath, cp.runCommand);
        }
        return;
    case 2:
        if (!active(2)) return;
        if (IsZipPath(cp.programPath))
            InstallFromArchive(cp.programPath, cp.setupCommand, cp.runCommand);
        else
            RunProgramFile(cp.programPath, cp.setupCommand);
        return;
    case 3:
        if (active(3)) OpenInfoFile(cp.infoPath);
        return;
    case 4:
        if (active(4)) CopyProgramFolder(cp.programPath);
        return;
    case 5:
        if (active(5)) BrowseFolder(cp.programPath);
        return;
    case 6:
        hoverId = 0;
        MinimiseWindow();
        return;
    case 7: {
        MinimiseWindow();
        const std::string outro = discpaths::OnDisc(app.discRoot, discpaths::kOutro);
        if (platform::FileExists(outro)) ShellExecuteOpen(outro, app.discRoot + "\\");
        window_->Close();
        return;
    }
    case 8:
    case 9:
    case 10:
        ShowListVariant(id);
        return;
    case 21: OpenAddress(kPublisherAddress); return;
    case 22: OpenAddress(kEditorsAddress); return;
    case 23: OpenAddress(kMagazineAddress); return;
    case 24: OpenAddress(kDownloadAddress); return;
    case 31:
        if (app.entryKind != kKindProgram) return;
        if (!cp.webAddress.empty() && y > 305) {
            OpenAddress(cp.webAddress);
            return;
        }
        if (defaultScreenshotShown) {
            for (auto& p : cp.pictures) p.clear();
            cp.pictures[0] = discpaths::kDefaultLargeName;
            cp.pictureCount = 1;
            cp.largePictureFolder = discpaths::OnDisc(app.discRoot, discpaths::kDefaultLargeFolder);
        }
        OpenPictureViewer();
        return;
    case 32:
        if (active(12)) OpenAddress(cp.linkTarget);
        return;
    default:
        return;
    }
}
