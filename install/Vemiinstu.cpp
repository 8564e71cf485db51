#include "install/Vemiinstu.h"

#include <algorithm>
#include <new>

#include "install/Abtu.h"
#include "install/Jxshellutils.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/text.h"

using platform::Control;
using platform::ControlKind;
using platform::Sys;
using platform::W;

TINST_FRM* INST_FRM = nullptr;

namespace {
constexpr int kClientWidth = 502, kClientHeight = 354;
constexpr int kPageWidth = 505, kPageHeight = 361;
constexpr int kTextHeight = 13;
constexpr int kButtonY = 320, kButtonW = 75, kButtonH = 25;
constexpr int kBackX = 248, kForwardX = 328, kLastX = 416;
// How often the window gets its pending messages while an archive is unpacked: often
// enough to feel immediate, rarely enough that drawing does not slow the unpacking.
constexpr uint32_t kPumpInterval = 50;

const char* const kCaption = "VEMI CD/DVD Instalator";

std::string FolderError() { return W("Nie można utworzyć folderu.\nSprawdź, czy nazwa jest prawidłowa."); }

// A typed target with a ".." step names a folder other than the one the user reads
// (C:\VEMI-12-2007\.. is C:\ itself): it is refused like a name that cannot be made.
// Windows drops dots and blanks at the end of a step, so ". ." and "..." count too.
bool StepsUp(const std::string& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        const std::string step = path.substr(start, end - start);
        if (std::count(step.begin(), step.end(), '.') >= 2 && step.find_first_not_of(". ") == std::string::npos)
            return true;
        start = end + 1;
    }
    return false;
}

// The target folder made with every missing level; true when it is there afterwards.
bool MakeTargetFolder(const std::string& target) {
    if (StepsUp(target)) return false;
    try {
        platform::ForceDirectories(target);
        return platform::DirectoryExists(target);
    } catch (...) {
        // The caller tells the user the folder cannot be made, whatever stopped it.
        return false;
    }
}

}  // namespace

TINST_FRM::TINST_FRM() {
    INST_FRM = this;
    platform::WindowStyle style;
    style.borderless = false;
    style.dialog = true;
    style.centred = true;
    style.stayOnTop = true;
    style.title = kCaption;
    style.width = kClientWidth;
    style.height = kClientHeight;
    window_ = Sys().CreateWindow(style);
    window_->SetHandler(this);
    platform::LoadResourceImage("BMP", "INSTHDR", headerPicture_);
    FormCreate();
}

TINST_FRM::~TINST_FRM() {
    if (XPBTM) Sys().KillTimer(XPBTM);
    window_->SetHandler(nullptr);
    if (INST_FRM == this) INST_FRM = nullptr;
}

Control& TINST_FRM::AddLabel(Control* page, const char* name, int x, int y, const std::string& text) {
    Control& c = window_->AddControl(ControlKind::Label, page, name);
    c.SetBounds(x, y, 0, 16);
    c.SetFont(kTextHeight);
    c.SetText(text);
    return c;
}

Control& TINST_FRM::AddButton(Control* page, const char* name, int x, const std::string& text,
                              void (TINST_FRM::*handler)()) {
    Control& c = window_->AddControl(ControlKind::Button, page, name);
    c.SetBounds(x, kButtonY, kButtonW, kButtonH);
    c.SetText(text);
    c.onClick = [this, handler] { (this->*handler)(); };
    return c;
}

Control* TINST_FRM::AddPage(const char* name, const std::string& titleText, Control** title) {
    Control& page = window_->AddControl(ControlKind::Panel, nullptr, name);
    page.SetBounds(0, 0, kPageWidth, kPageHeight);
    page.SetVisible(false);
    const std::string base = name;
    Control& band = window_->AddControl(ControlKind::Panel, &page, base + "_HDR");
    band.SetBounds(0, 0, kPageWidth, 49);
    band.SetColor({255, 255, 255});
    band.SetBevels(platform::Bevel::Lowered, platform::Bevel::Raised);
    Control& t = window_->AddControl(ControlKind::Label, &band, base + "_TITLE");
    t.SetBounds(24, 16, 0, 14);
    t.SetFont(11, true);
    t.SetText(titleText);
    if (title) *title = &t;
    Control& frame = window_->AddControl(ControlKind::Panel, &band, base + "_PICFRAME");
    frame.SetBounds(464, 9, 32, 32);
    frame.SetBevels(platform::Bevel::Lowered, platform::Bevel::None);
    Control& pic = window_->AddControl(ControlKind::Picture, &frame, base + "_PIC");
    pic.SetBounds(1, 1, 30, 30);
    if (!headerPicture_.Empty()) pic.Picture() = headerPicture_.Clone();
    Control& rule = window_->AddControl(ControlKind::Panel, &page, base + "_RULE");
    rule.SetBounds(0, 296, kPageWidth, 2);
    rule.SetBevels(platform::Bevel::Lowered, platform::Bevel::None);
    return &page;
}

void TINST_FRM::FormCreate() {
    Mode = WizardMode::InstallWithShortcut;
    AnimationStep = 0;

    // CPN1: where to.
    CPN1 = AddPage("CPN1", "", &LBT1);
    LBS1 = &AddLabel(CPN1, "LBS1", 40, 68, "");
    DED = &window_->AddControl(ControlKind::Edit, CPN1, "DED");
    DED->SetBounds(40, 88, 417, 24);
    DED->SetFont(kTextHeight);
    DLB = &window_->AddControl(ControlKind::FolderList, CPN1, "DLB");
    DLB->SetBounds(40, 115, 417, 139);
    DLB->SetFont(kTextHeight);
    DLB->onChange = [this] { DLBChange(); };
    DCB = &window_->AddControl(ControlKind::DriveList, CPN1, "DCB");
    DCB->SetBounds(40, 257, 417, 22);
    DCB->SetFont(kTextHeight);
    DCB->BindFolderList(DLB);
    ABT_BTN = &window_->AddControl(ControlKind::Button, CPN1, "ABT_BTN");
    ABT_BTN->SetBounds(16, kButtonY, 73, kButtonH);
    ABT_BTN->SetText("O...");
    ABT_BTN->onClick = [this] { ABT_BTNClick(); };
    DFLD_GO_BTN = &AddButton(CPN1, "DFLD_GO_BTN", kForwardX, "Dalej >", &TINST_FRM::DFLD_GO_BTNClick);
    DFLD_GO_BTN->SetDefault(true);
    DFLD_EXIT_BTN = &AddButton(CPN1, "DFLD_EXIT_BTN", kLastX, "Anuluj", &TINST_FRM::COMMON_EXIT_BTNClick);

    // CPN2: the Start-menu group.
    CPN2 = AddPage("CPN2", W("Wybierz folder w menu Start..."));
    AddLabel(CPN2, "CPN2_LB1", 40, 68, W("Wybierz folder, w którym zostanie utworzony skrót do programu:"));
    FED = &window_->AddControl(ControlKind::Edit, CPN2, "FED");
    FED->SetBounds(40, 88, 417, 24);
    FED->SetFont(kTextHeight);
    FLB = &window_->AddControl(ControlKind::List, CPN2, "FLB");
    FLB->SetBounds(40, 115, 417, 148);
    FLB->SetFont(kTextHeight);
    FLB->SetSorted(true);
    FLB->onClick = [this] { FLBClick(); };
    ALL_CB = &window_->AddControl(ControlKind::CheckBox, CPN2, "ALL_CB");
    ALL_CB->SetBounds(40, 266, 417, 20);
    ALL_CB->SetFont(kTextHeight);
    ALL_CB->SetText(W("utwórz skrót dostępny dla wszystkich użytkowników tego komputera"));
    ALL_CB->SetChecked(true);
    SFLD_BCK_BTN = &AddButton(CPN2, "SFLD_BCK_BTN", kBackX, W("< Wcześniej"), &TINST_FRM::SFLD_BCK_BTNClick);
    SFLD_GO_BTN = &AddButton(CPN2, "SFLD_GO_BTN", kForwardX, "Dalej >", &TINST_FRM::SFLD_GO_BTNClick);
    SFLD_GO_BTN->SetDefault(true);
    SFLD_EXIT_BTN = &AddButton(CPN2, "SFLD_EXIT_BTN", kLastX, "Anuluj", &TINST_FRM::COMMON_EXIT_BTNClick);

    // CPN3: the summary.
    CPN3 = AddPage("CPN3", W("Gotowy do instalacji..."));
    AddLabel(CPN3, "CPN3_LB1", 40, 68, W("Kliknij \"Zainstaluj\", jeżeli akceptujesz poniższe ustawienia:"));
    INFO_MO = &window_->AddControl(ControlKind::Memo, CPN3, "INFO_MO");
    INFO_MO->SetBounds(40, 88, 417, 193);
    INFO_MO->SetFont(kTextHeight);
    INFO_MO->SetColor(platform::kButtonFace);
    INST_BCK_BTN = &AddButton(CPN3, "INST_BCK_BTN", kBackX, W("< Wcześniej"), &TINST_FRM::INST_BCK_BTNClick);
    INST_GO_BTN = &AddButton(CPN3, "INST_GO_BTN", kForwardX, "Zainstaluj >", &TINST_FRM::INST_GO_BTNClick);
    INST_GO_BTN->SetDefault(true);
    INST_EXIT_BTN = &AddButton(CPN3, "INST_EXIT_BTN", kLastX, "Anuluj", &TINST_FRM::COMMON_EXIT_BTNClick);

    // CPN4: progress.
    CPN4 = AddPage("CPN4", "", &LBT4);
    LBT4A = &AddLabel(CPN4, "LBT4A", 40, 68, "");
    FN_LAB = &AddLabel(CPN4, "FN_LAB", 40, 88, "");
    FN_LAB->SetAutoSize(false);
    FN_LAB->SetBounds(40, 88, 417, 16);
    PB = &window_->AddControl(ControlKind::ProgressBar, CPN4, "PB");
    PB->SetBounds(40, 112, 417, 16);
    LBT4AX = &AddLabel(CPN4, "LBT4AX", 40, 140, W("Bieżący plik:"));
    FN_LABX = &AddLabel(CPN4, "FN_LABX", 40, 160, "");
    FN_LABX->SetAutoSize(false);
    FN_LABX->SetBounds(40, 160, 417, 16);
    PBX = &window_->AddControl(ControlKind::ProgressBar, CPN4, "PBX");
    PBX->SetBounds(40, 184, 417, 16);
    CSC_LAB = &AddLabel(CPN4, "CSC_LAB", 40, 220, W("Tworzenie skrótów w menu Start..."));
    ICU_BTN = &AddButton(CPN4, "ICU_BTN", kLastX, "Anuluj", &TINST_FRM::ICU_BTNClick);

    // CPN5: installed.
    CPN5 = AddPage("CPN5", W("Instalacja zakończona."));
    CPN5_LB1 = &AddLabel(CPN5, "CPN5_LB1", 40, 68, W("Program został zainstalowany."));
    RUN_NOW_CB = &window_->AddControl(ControlKind::CheckBox, CPN5, "RUN_NOW_CB");
    RUN_NOW_CB->SetBounds(40, 96, 417, 20);
    RUN_NOW_CB->SetFont(kTextHeight);
    RUN_NOW_CB->SetText(W("Uruchom teraz"));
    RUN_NOW_CB->SetChecked(true);
    CPN5_LB2 = &AddLabel(CPN5, "CPN5_LB2", 40, 124, "");
    CPN5_LB3 = &AddLabel(CPN5, "CPN5_LB3", 40, 140, "");
    SC_LAB1 = &AddLabel(CPN5, "SC_LAB1", 56, 164, "");
    CPN5_LB4 = &AddLabel(CPN5, "CPN5_LB4", 40, 188, "wybierz:");
    SC_LAB2 = &AddLabel(CPN5, "SC_LAB2", 56, 212, "");
    WINE_LAB = &AddLabel(CPN5, "WINE_LAB", 40, 244, W("Uwaga: do uruchomienia programu z menu potrzebny jest wine."));
    WINE_LAB->SetVisible(false);
    EXIT_BTN = &AddButton(CPN5, "EXIT_BTN", kLastX, "OK", &TINST_FRM::EXIT_BTNClick);

    // CPN6: unpacked for a setup program.
    CPN6 = AddPage("CPN6", W("Rozpakowywanie zakończone."));
    AddLabel(CPN6, "CPN6_LB1", 40, 68, W("Archiwum zostało rozpakowane do tymczasowego folderu:"));
    TFLD_LAB = &AddLabel(CPN6, "TFLD_LAB", 56, 92, "");
    AddLabel(CPN6, "CPN6_LB2", 40, 124, W("Teraz zostanie uruchomiony właściwy program instalacyjny."));
    AddLabel(CPN6, "CPN6_LB3", 40, 148, W("Po zakończeniu instalacji powyższy folder tymczasowy można usunąć."));
    EXIT2_BTN = &AddButton(CPN6, "EXIT2_BTN", kLastX, "OK", &TINST_FRM::EXIT2_BTNClick);

    // CPN7: copied.
    CPN7 = AddPage("CPN7", W("Kopiowanie zakończone."));
    AddLabel(CPN7, "CPN7_LB1", 40, 68, W("Pliki zostały skopiowane do folderu:"));
    CFLD_LAB = &AddLabel(CPN7, "CFLD_LAB", 56, 92, "");
    EXIT3_BTN = &AddButton(CPN7, "EXIT3_BTN", kLastX, "OK", &TINST_FRM::EXIT3_BTNClick);

    // CPN7A: read-only attributes being cleared.
    CPN7A = AddPage("CPN7A", "Kopiowanie...");
    AddLabel(CPN7A, "CPN7A_LB1", 40, 68, W("Zdejmowanie atrybutu \"tylko do odczytu\"..."));
    FN_LAB_7A = &AddLabel(CPN7A, "FN_LAB_7A", 56, 88, "");
    XPBIM = &window_->AddControl(ControlKind::Picture, CPN7A, "XPBIM");
    XPBIM->SetBounds(40, 112, 417, 16);
    XPBIM->Picture().Create(417, 16);
    XPBIM->Picture().FillAll(platform::kButtonFace);
    BitBtn2 = &AddButton(CPN7A, "BitBtn2", kLastX, "Anuluj", &TINST_FRM::ICU_BTNClick);

    // CPN8: the copy stopped.
    CPN8 = AddPage("CPN8", W("Kopiowanie zakończone."));
    AddLabel(CPN8, "CPN8_LB1", 40, 68, W("Kopiowanie zostało przerwane..."));
    BitBtn1 = &AddButton(CPN8, "BitBtn1", kLastX, "OK", &TINST_FRM::BitBtn1Click);

    ZF.OnFileProgress = [this](const std::string& name, double percent, bool& cancel) {
        ZFFileProgress(name, percent, cancel);
    };
    ZF.OnOverallProgress = [this](double percent, bool& cancel) { ZFOverallProgress(percent, cancel); };
}

platform::Control* TINST_FRM::VisiblePage() const {
    if (!window_->Visible()) return nullptr;
    for (Control* p : {CPN1, CPN2, CPN3, CPN4, CPN5, CPN6, CPN7, CPN7A, CPN8})
        if (p->Visible()) return p;
    return nullptr;
}

void TINST_FRM::ShowOnly(Control* page) {
    for (Control* p : {CPN1, CPN2, CPN3, CPN4, CPN5, CPN6, CPN7, CPN7A, CPN8})
        if (p != page) p->SetVisible(false);
    page->SetVisible(true);
}

void TINST_FRM::StartWizard(WizardMode mode) {
    Mode = mode;
    ShowOnly(CPN1);
    FN_LAB->SetText("");
    FN_LABX->SetText("");
    FN_LAB_7A->SetText("");

    std::string folder = "C:\\";
    switch (mode) {
    case WizardMode::InstallWithShortcut:
        LBT1->SetText(W("Wybierz folder docelowy do instalacji programu..."));
        LBS1->SetText(W("Wybierz folder, do którego zostanie rozpakowane archiwum:"));
        CancelText = W("Na pewno przerwać instalację...");
        LBT4->SetText("Instalacja...");
        LBT4A->SetText(W("Rozpakowywanie plików:"));
        break;
    case WizardMode::UnpackForSetup:
        LBT1->SetText(W("Wybierz folder TYMCZASOWY do rozpakowania archiwum..."));
        LBS1->SetText(W("Wybierz folder, do którego zostanie rozpakowane archiwum:"));
        CancelText = W("Na pewno przerwać dekompresję...");
        LBT4->SetText("Rozpakowywanie...");
        LBT4A->SetText(W("Rozpakowywanie plików:"));
        folder = "C:\\Wersje_instalacyjne";
        // The temporary folder is made at once, so the list can open it.
        platform::ForceDirectories(folder);
        break;
    case WizardMode::CopyFolder:
        LBT1->SetText(W("Wybierz folder docelowy do skopiowania programu..."));
        LBS1->SetText(W("Wybierz folder, do którego zostaną skopiowane pliki:"));
        CancelText = W("Na pewno przerwać kopiowanie...");
        LBT4->SetText("Kopiowanie...");
        LBT4A->SetText(W("Kopiowanie plików..."));
        break;
    }
    const bool unpacking = mode != WizardMode::CopyFolder;
    ABT_BTN->SetVisible(unpacking);
    for (Control* c : {PB, PBX, LBT4AX, FN_LABX, CSC_LAB, ICU_BTN}) c->SetVisible(unpacking);
    DLB->SetDirectory(folder);
    DCB->FillDrives();
    CancelRequested = false;
    DLBChange();
    const std::string shown = platform::IncludeTrailingBackslash(DLB->Directory());
    if (mode == WizardMode::CopyFolder)
        DED->SetText(shown + W("VEMI - kopie programów\\") + ProgramFolderName);
    else if (mode == WizardMode::InstallWithShortcut)
        DED->SetText(shown + IssueFolder + "\\" + ProgramFolderName);
}

void TINST_FRM::ShowModal() { window_->ShowModal(); }

void TINST_FRM::DLBChange() {
    DED->SetText(platform::ExcludeTrailingBackslash(DLB->Directory()) + "\\" + ProgramFolderName);
}

void TINST_FRM::ABT_BTNClick() {
    if (ABT_FRM) ABT_FRM->ShowModal();
}

void TINST_FRM::DFLD_GO_BTNClick() {
    if (Mode == WizardMode::UnpackForSetup) {
        INST_GO_BTNClick();
        return;
    }
    if (Mode == WizardMode::CopyFolder) {
        CopyStep();
        return;
    }
    CPN1->SetVisible(false);
    FLB->Clear();
    std::vector<std::string> groups;
    ListCommonGroups(groups);
    ListUserGroups(groups);
    for (const std::string& g : groups) FLB->AddItem(g);
    // The list sorts ignoring case, so the same name from both menus lies within one
    // run of names equal but for case; within such a run each exact name stays once.
    for (int i = 1; i < FLB->Count();) {
        bool seen = false;
        for (int k = i - 1; k >= 0 && platform::EqualsIgnoreCase(FLB->Item(k), FLB->Item(i)); --k)
            if (FLB->Item(k) == FLB->Item(i)) seen = true;
        if (seen)
            FLB->DeleteItem(i);
        else
            ++i;
    }
    FED->SetText(DefaultMenuGroup);
    // Offered only where it can work: an ordinary user of a Linux desktop may not
    // write the all-users menu, and the shortcut would fail at the end.
    const bool common = CanMakeCommonShortcuts();
    if (!common) ALL_CB->SetChecked(false);
    ALL_CB->SetEnabled(common);
    CPN2->SetVisible(true);
}

void TINST_FRM::COMMON_EXIT_BTNClick() { window_->Close(); }

void TINST_FRM::FLBClick() {
    if (FLB->ItemIndex() >= 0) FED->SetText(FLB->Item(FLB->ItemIndex()));
}

void TINST_FRM::SFLD_BCK_BTNClick() {
    CPN2->SetVisible(false);
    CPN1->SetVisible(true);
}

void TINST_FRM::SFLD_GO_BTNClick() {
    CPN2->SetVisible(false);
    INFO_MO->Clear();
    const bool all = ALL_CB->Checked();
    INFO_MO->AddItem("Folder docelowy:");
    INFO_MO->AddItem("   " + DED->Text());
    INFO_MO->AddItem("");
    INFO_MO->AddItem("Folder w menu Start:");
    INFO_MO->AddItem("   " + FED->Text());
    INFO_MO->AddItem("");
    INFO_MO->AddItem(all ? W("Skrót do programu będzie dostępny dla") : W("Skrót do programu nie będzie dostępny"));
    INFO_MO->AddItem(all ? W("wszystkich użytkowników tego komputera.") : W("dla innych użytkowników tego komputera."));
    CPN3->SetVisible(true);
}

void TINST_FRM::INST_BCK_BTNClick() {
    CPN3->SetVisible(false);
    CPN2->SetVisible(true);
}

void TINST_FRM::INST_GO_BTNClick() {
    Control* from = Mode == WizardMode::InstallWithShortcut ? CPN3 : CPN1;
    const std::string target = DED->Text();
    if (!MakeTargetFolder(target)) {
        Sys().MessageBox(FolderError(), "", platform::MsgKind::Error);
        return;
    }
    from->SetVisible(false);
    PB->SetPosition(0);
    PBX->SetPosition(0);
    CSC_LAB->SetVisible(false);
    CPN4->SetVisible(true);
    PumpNow();

    const bool extracted = Extract();
    if (CancelRequested) {
        window_->Close();
        return;
    }
    if (!extracted) {
        // The user was told what failed; the page the step began on lets them pick
        // another folder or give up. What was unpacked before the failure stays.
        CPN4->SetVisible(false);
        from->SetVisible(true);
        return;
    }
    PumpNow();
    if (Mode == WizardMode::UnpackForSetup) {
        CPN4->SetVisible(false);
        TFLD_LAB->SetText(target);
        CPN6->SetVisible(true);
        return;
    }
    CSC_LAB->SetVisible(true);
    PumpNow();
    MakeShortcut();
}

bool TINST_FRM::Extract() {
    currentMember_.clear();
    lastPump_ = Sys().TickCount();
    try {
        ZF.SetFileName(ArchivePath);
        ZF.OpenArchive(0);
        ZF.SetBaseDir(DED->Text());
        ZF.ExtractFiles("*.*");
        ZF.CloseArchive();
        return true;
    } catch (const std::exception& e) {
        ZF.CloseArchive();
        // A stop the user asked for ends quietly, whatever the reader said about it.
        if (CancelRequested) return true;
        // The reader names the member it failed on; names are judged before the
        // first file is begun, so that member need not be the current one. Its
        // English words are for vemi-disc: the user gets the kind in Polish.
        std::string member = currentMember_;
        std::string reason = W("Wystąpił nieoczekiwany błąd.");
        if (const auto* zip = dynamic_cast<const EJXZipError*>(&e)) {
            member = zip->Member();
            reason = ZipErrorReason(zip->Kind());
        } else if (dynamic_cast<const std::bad_alloc*>(&e)) {
            reason = ZipErrorReason(ZipErrorKind::OutOfMemory);
        }
        std::string text;
        if (member.empty())
            text = W("Nie można otworzyć archiwum:\n\n") + ArchivePath;
        else
            text = W("Nie można rozpakować pliku:\n\n") + member + W("\n\nz archiwum:\n\n") + ArchivePath;
        text += W("\n\nPowód: ") + reason;
        Sys().MessageBox(text, "", platform::MsgKind::Error);
        return false;
    }
}

void TINST_FRM::MakeShortcut() {
    const std::string target = DED->Text();
    const std::string file = RunFile.empty() || RunFile[0] == '^' ? target : target + "\\" + RunFile;
    const std::string group = GroupFolderName(FED->Text());
    const std::string name = ShortcutFileName(ShortcutName);
    const bool made = CreateShortcut(file, group, name, ALL_CB->Checked());
    CPN4->SetVisible(false);
    if (made) {
        CPN5_LB2->SetText(W("Aby uruchomić program później przejdź do menu Start, wybierz Programy,"));
        CPN5_LB3->SetText(W("a następnie z grupy:"));
        SC_LAB1->SetText(FED->Text());
        SC_LAB2->SetText(ShortcutName);
    } else {
        // The files are in place, but no shortcut leads to them: say where they are
        // instead of sending the user to a menu entry that does not exist.
        CPN5_LB2->SetText(W("Nie udało się utworzyć skrótu w menu Start."));
        CPN5_LB3->SetText(W("Program znajduje się w folderze:"));
        SC_LAB1->SetText(target);
        SC_LAB2->SetText("");
    }
    CPN5_LB4->SetVisible(made);
    SC_LAB2->SetVisible(made);
    WINE_LAB->SetVisible(made && !ShortcutStartsFromMenu(file));
    CPN5->SetVisible(true);
    if (!made)
        Sys().MessageBox(W("Nie można utworzyć skrótu do programu w menu Start:\n\n") + group + "\\" + name, "",
                         platform::MsgKind::Error);
}

void TINST_FRM::PumpNow() {
    lastPump_ = Sys().TickCount();
    Sys().ProcessMessages();
}

void TINST_FRM::PumpThrottled() {
    if (Sys().TickCount() - lastPump_ >= kPumpInterval) PumpNow();
}

void TINST_FRM::ZFFileProgress(const std::string& name, double percent, bool& cancel) {
    currentMember_ = name;
    // The labels change once per file; drawing them at once keeps them in step
    // with the bar even when the next file takes long.
    const std::string path = DED->Text() + "\\" + name;
    if (FN_LAB->Text() != path) {
        FN_LAB->SetText(path);
        FN_LAB->Repaint();
    }
    const std::string file = platform::ExtractFileName(name);
    if (FN_LABX->Text() != file) {
        FN_LABX->SetText(file);
        FN_LABX->Repaint();
    }
    PBX->SetPosition(static_cast<int>(percent));
    if (percent <= 0)
        PumpNow();
    else
        PumpThrottled();
    if (CancelRequested) cancel = true;
}

void TINST_FRM::ZFOverallProgress(double percent, bool& cancel) {
    PB->SetPosition(static_cast<int>(percent));
    if (CancelRequested) cancel = true;
}

void TINST_FRM::ICU_BTNClick() {
    if (Sys().MessageBox(CancelText, "", platform::MsgKind::Question, platform::MsgButtons::YesNo) == platform::kIdYes)
        CancelRequested = true;
}

void TINST_FRM::EXIT_BTNClick() {
    if (RUN_NOW_CB->Checked()) {
        const std::string target = DED->Text();
        if (!RunFile.empty() && RunFile[0] == '^')
            StartFile(target);
        else
            StartWithFolder(target + "\\" + RunFile, target);
    }
    window_->Close();
}

void TINST_FRM::EXIT2_BTNClick() {
    const std::string target = DED->Text();
    StartWithFolder(target + "\\" + SetupFile, target);
    window_->Close();
}

void TINST_FRM::EXIT3_BTNClick() { window_->Close(); }

void TINST_FRM::BitBtn1Click() { window_->Close(); }

void TINST_FRM::CopyStep() {
    const std::string target = DED->Text();
    if (!MakeTargetFolder(target)) {
        Sys().MessageBox(FolderError(), "", platform::MsgKind::Error);
        return;
    }
    ShowOnly(CPN4);
    int result = 1;
    // A source folder that cannot be entered would copy nothing, or whatever folder
    // happened to be current: that is a failed copy, not an empty one.
    if (platform::DirectoryExists(CopySource)) {
        platform::Drives().SetCurrentDir(platform::IncludeTrailingBackslash(CopySource));
        result = ShellCopyFolder(window_.get(), CopySource, target);
    }
    if (result != 0) {
        ShowOnly(CPN8);
        return;
    }
    ShowOnly(CPN7A);
    if (Sys().AppMinimized()) Sys().RestoreApp();
    XPBTM = Sys().SetTimer(100, [this] { XPBTMTimer(); });
    try {
        if (auto host = platform::Drives().ToHost(target)) ClearReadOnly(*host);
    } catch (...) {
        // Clearing is a courtesy after a finished copy: what it could not reach stays
        // read-only, and the copy itself is done.
    }
    Sys().KillTimer(XPBTM);
    XPBTM = 0;
    CFLD_LAB->SetText(target);
    ShowOnly(CPN7);
}

// Walks the copy by the host's own names, so that a name the program's code page
// cannot spell (shown with "?") is reached all the same.
void TINST_FRM::ClearReadOnly(const std::string& hostFolder) {
    for (const platform::DirEntry& e : platform::ListHostDirectory(hostFolder)) {
        // A link is never followed: clearing through it would reach files outside
        // the folder the user chose.
        if (e.attrs & platform::kAttrLink) continue;
        const std::string path = platform::HostChild(hostFolder, e.hostName);
        if (e.attrs & platform::kAttrReadOnly) {
            platform::SetHostAttributes(path, e.attrs & ~platform::kAttrReadOnly);
            FN_LAB_7A->SetText(e.name);
            Sys().ProcessMessages();
        }
        if ((e.attrs & platform::kAttrDirectory) && e.name[0] != '.') ClearReadOnly(path);
    }
}

void TINST_FRM::XPBTMTimer() {
    platform::Image& img = XPBIM->Picture();
    const int w = img.Width(), h = img.Height();
    img.Fill({0, 0, w, h}, platform::kButtonFace);
    // The rectangle's outline, every pixel of its edge.
    const platform::Rgb grey{128, 128, 128}, white{255, 255, 255};
    img.Line(0, 0, w - 1, 0, grey);
    img.Line(w - 1, 0, w - 1, h - 1, grey);
    img.Line(w - 1, h - 1, 0, h - 1, grey);
    img.Line(0, h - 1, 0, 0, grey);
    img.Line(0, h - 1, w - 1, h - 1, white);
    img.Line(w - 1, h - 1, w - 1, 0, white);
    const int n = (w / 10) / 2;
    for (int i = -1; i <= n; ++i) img.Fill({20 * i + 5 * AnimationStep + 2, 2, 8, h - 4}, {10, 36, 106});
    AnimationStep = (AnimationStep + 1) % 4;
    XPBIM->Repaint();
}

bool TINST_FRM::FormCloseQuery() {
    if (Mode == WizardMode::CopyFolder || CancelRequested || CPN5->Visible() || CPN6->Visible()) return true;
    if (Sys().MessageBox(CancelText, "", platform::MsgKind::Question, platform::MsgButtons::YesNo) != platform::kIdYes)
        return false;
    if (CPN4->Visible()) {
        // The extraction is still running below this call: it sees the request at its
        // next progress event and closes the window itself.
        CancelRequested = true;
        return false;
    }
    return true;
}
