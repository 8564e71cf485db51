// The installer wizard TINST_FRM: puts a program from the disc onto the hard disk in
// one of three jobs (WizardMode): it unpacks a ZIP-packaged program into its folder
// and makes a Start-menu shortcut, or unpacks an archive into a temporary folder for
// its own setup program, or copies a program's folder. One window of nine pages,
// one page showing at a time; made once at start-up and reused, hidden between uses.
#pragma once

#include <memory>
#include <string>

#include "install/Zipreaderu.h"
#include "platform/controls.h"
#include "platform/system.h"

// The wizard's three jobs, numbered as the menu's actions have always numbered them.
enum class WizardMode {
    InstallWithShortcut = 1,  // unpack a ZIP-packaged program, then a Start-menu shortcut
    UnpackForSetup = 2,       // unpack an archive for the setup program inside it
    CopyFolder = 3,           // copy a program's folder from the disc
};

class TINST_FRM : public platform::WindowHandler {
public:
    // Creating the wizard runs FormCreate. "O..." shows the about box ABT_FRM, which
    // is made after the wizard.
    TINST_FRM();
    ~TINST_FRM() override;

    platform::Window& Window() { return *window_; }
    // Prepares one use; the caller has set the fields the mode needs.
    void StartWizard(WizardMode mode);
    // Shows the wizard and returns when it has closed.
    void ShowModal();

    // --- the wizard's fields ---
    WizardMode Mode = WizardMode::InstallWithShortcut;
    std::string CancelText;
    bool CancelRequested = false;
    int AnimationStep = 0;
    std::string ProgramFolderName, IssueFolder, DefaultMenuGroup, ShortcutName, RunFile, SetupFile, CopySource,
        ArchivePath;

    // --- the pages and their controls, named by role ---
    platform::Control *CPN1 = nullptr, *CPN2 = nullptr, *CPN3 = nullptr, *CPN4 = nullptr, *CPN5 = nullptr,
                      *CPN6 = nullptr, *CPN7 = nullptr, *CPN7A = nullptr, *CPN8 = nullptr;
    platform::Control *LBT1 = nullptr, *LBS1 = nullptr, *DED = nullptr, *DLB = nullptr, *DCB = nullptr;
    platform::Control *ABT_BTN = nullptr, *DFLD_GO_BTN = nullptr, *DFLD_EXIT_BTN = nullptr;
    platform::Control *FED = nullptr, *FLB = nullptr, *ALL_CB = nullptr;
    platform::Control *SFLD_BCK_BTN = nullptr, *SFLD_GO_BTN = nullptr, *SFLD_EXIT_BTN = nullptr;
    platform::Control *INFO_MO = nullptr, *INST_BCK_BTN = nullptr, *INST_GO_BTN = nullptr, *INST_EXIT_BTN = nullptr;
    platform::Control *LBT4 = nullptr, *LBT4A = nullptr, *FN_LAB = nullptr, *PB = nullptr, *LBT4AX = nullptr,
                      *FN_LABX = nullptr, *PBX = nullptr, *CSC_LAB = nullptr, *ICU_BTN = nullptr;
    platform::Control *CPN5_LB1 = nullptr, *RUN_NOW_CB = nullptr, *CPN5_LB2 = nullptr, *CPN5_LB3 = nullptr,
                      *SC_LAB1 = nullptr, *CPN5_LB4 = nullptr, *SC_LAB2 = nullptr, *EXIT_BTN = nullptr;
    // Shown under the shortcut when the desktop's menu cannot start it by itself.
    platform::Control* WINE_LAB = nullptr;
    platform::Control *TFLD_LAB = nullptr, *EXIT2_BTN = nullptr;
    platform::Control *CFLD_LAB = nullptr, *EXIT3_BTN = nullptr;
    platform::Control *FN_LAB_7A = nullptr, *XPBIM = nullptr, *BitBtn2 = nullptr;
    platform::Control *BitBtn1 = nullptr;
    TJXZipReader ZF;
    // The animation timer XPBTM: 100 ms, off (0) until the clearing of attributes runs.
    unsigned XPBTM = 0;

    // --- handlers ---
    void FormCreate();
    void DLBChange();
    void ABT_BTNClick();
    void DFLD_GO_BTNClick();
    void COMMON_EXIT_BTNClick();
    void FLBClick();
    void SFLD_BCK_BTNClick();
    void SFLD_GO_BTNClick();
    void INST_BCK_BTNClick();
    void INST_GO_BTNClick();
    void ZFFileProgress(const std::string& name, double percent, bool& cancel);
    void ZFOverallProgress(double percent, bool& cancel);
    void ICU_BTNClick();
    void EXIT_BTNClick();
    void EXIT2_BTNClick();
    void EXIT3_BTNClick();
    void BitBtn1Click();
    void XPBTMTimer();
    bool FormCloseQuery();

    bool OnCloseQuery() override { return FormCloseQuery(); }

    // The page showing now (nullptr while the window is hidden between uses).
    platform::Control* VisiblePage() const;
    // Clears the read-only attribute of everything below a folder.
    void ClearReadOnly(const std::string& hostFolder);

private:
    // A page with its white header band, title, header picture and the rule above
    // the buttons; returns the page and its title label through title.
    platform::Control* AddPage(const char* name, const std::string& titleText, platform::Control** title = nullptr);
    platform::Control& AddLabel(platform::Control* page, const char* name, int x, int y, const std::string& text);
    platform::Control& AddButton(platform::Control* page, const char* name, int x, const std::string& text,
                                 void (TINST_FRM::*handler)());
    void ShowOnly(platform::Control* page);
    // The unpack step's extraction; false when it failed (the user was told).
    bool Extract();
    void CopyStep();
    void MakeShortcut();
    // Handles pending window messages during an extraction, at most every few
    // milliseconds, so a slow desktop is not redrawn for every piece of a file.
    void PumpNow();
    void PumpThrottled();

    std::unique_ptr<platform::Window> window_;
    platform::Image headerPicture_;
    std::string currentMember_;
    uint32_t lastPump_ = 0;
};

extern TINST_FRM* INST_FRM;
