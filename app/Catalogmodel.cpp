// The catalogue model: what the program knows about the disc's programs and about the
// entry the user has selected.
#include <algorithm>
#include <cstdint>

#include "app/Mainu.h"
#include "catalogue/Discpaths.h"
#include "platform/paths.h"
#include "platform/text.h"

using platform::W;

namespace {
void ListSelected(int index) {
    if (MN_FRM) MN_FRM->ShowSelection(index);
}
void ListBar(int code, int value, int /*delta*/) {
    if (!MN_FRM) return;
    if (code == 1) {
        MN_FRM->programList.ScrollUp();
        MN_FRM->listScrollBar.Step(-1);
    } else if (code == 2) {
        MN_FRM->programList.ScrollDown();
        MN_FRM->listScrollBar.Step(1);
    } else if (code == 3) {
        MN_FRM->programList.SetTop(value);
    }
}
void DescBar(int code, int value, int /*delta*/) {
    CJXOpisWin& d = App().opisWin;
    if (code == 1) {
        d.ScrollUp(1);
        if (MN_FRM) MN_FRM->descScrollBar.Step(-1);
    } else if (code == 2) {
        d.ScrollDown(1);
        if (MN_FRM) MN_FRM->descScrollBar.Step(1);
    } else if (code == 3) {
        d.SetTop(value, true);
    }
}

// The catalogue's integers go through the catalogue class's own conversion, which
// raises the catalogue error for text that is not a number.
int FieldInt(const CJXNdt4File& c, int r, int f) { return CatalogueLineToInt(c.GetField(r, f)); }
}  // namespace

void TMN_FRM::LoadCatalogue() {
    Application& app = App();
    // The list's background and the title's buffers need the cover skin.
    FinishCoverSkin();
    // 1: the program list.
    programList.LoadFonts(*fontStream_);
    programList.Init(280, 143, 439, 544, 32, &Canvas());
    programList.SetCallback(ListSelected);
    programList.SetBackground(&listBackground);
    programList.collapseDescendants = true;
    // 2, 3, 4: both catalogues; the working one from the main catalogue.
    app.rawMainCatalogue.LoadFromFile(discpaths::OnDisc(app.discRoot, discpaths::kMainCatalogue));
    app.rawSecondCatalogue.LoadFromFile(discpaths::OnDisc(app.discRoot, discpaths::kSecondCatalogue));
    DecodeCatalogue(app.rawMainCatalogue);
    FillProgramList(true);
    // 5: the two scroll bars.
    listScrollBar.Load(*pictureStream_);
    listScrollBar.Init(726, 144, 0, programList.MaxTop(), &Canvas());
    listScrollBar.SetCallback(ListBar);
    descScrollBar.Load(*pictureStream_);
    descScrollBar.Init(999, 402, 0, 10, &Canvas());
    descScrollBar.SetCallback(DescBar);
    // 6: the first program, reported through the selection handler.
    programList.Select(FirstProgram());
    // 7: the issue code from title line 2.
    app.issueCode = IssueCodeFrom(app.workCatalogue.GetTitleLine(2));
    // 8: the title, centred on x 507.5; integer division truncates toward zero.
    std::string title = app.workCatalogue.GetTitleLine(0) + " " + app.workCatalogue.GetTitleLine(1) + " " +
                        app.workCatalogue.GetTitleLine(2) + " " + app.workCatalogue.GetTitleLine(3);
    int w = titleFont.TextWidthKerned(title);
    int x = 270 + (475 - w) / 2;
    titleFont.DrawTextKerned(composedBuffer, x, 113, title);
    titleFont.DrawTextKerned(coverBuffer, x, 113, title);
    titleFont.DrawTextKerned(programBuffer, x, 113, title);
    // 9: the program count, right edge at x 745.
    std::string count = W("Liczba programów: ") + std::to_string(app.workCatalogue.CountPrograms());
    w = countFont.TextWidthKerned(count);
    countFont.DrawTextKerned(composedBuffer, 745 - w, 720, count);
    countFont.DrawTextKerned(coverBuffer, 745 - w, 720, count);
    countFont.DrawTextKerned(programBuffer, 745 - w, 720, count);
}

void TMN_FRM::DecodeCatalogue(CJXNdt4File& raw) { discpaths::DecodeCatalogue(raw, App().workCatalogue); }

void TMN_FRM::FillProgramList(bool expanded) {
    CJXNdt4File& work = App().workCatalogue;
    int parent[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int previous = -1;  // level of the record before
    for (int r = 0; r < work.recordCount; ++r) {
        int level = static_cast<int8_t>(static_cast<uint8_t>(FieldInt(work, r, 13)));
        // The list reports rows by position and the position is the record number, so
        // every record must have its row, in order. A level below 0 makes a top entry;
        // one deeper than the list can go sits one below the record before it (at most
        // at the deepest level), which keeps it at the end of the list and off the end
        // of the parent table.
        if (level < 0) level = 0;
        if (level > 7) level = std::min(previous + 1, 7);
        previous = level;
        parent[level] = r;
        if (level == 0)
            programList.AddRoot(work.GetField(r, 0));
        else
            programList.AddChild(parent[level - 1], work.GetField(r, 0), expanded);
    }
}

int TMN_FRM::FirstProgram() {
    CJXNdt4File& work = App().workCatalogue;
    for (int r = 0; r < work.recordCount; ++r)
        if (FieldInt(work, r, 14) == 11) return r;
    return 0;
}

void TMN_FRM::UpdateEntryKind(int r) {
    Application& app = App();
    CJXNdt4File& work = app.workCatalogue;
    if (r < 0 || r >= work.recordCount)
        app.entryKind = kKindOther;  // no entry: nothing to show for it
    else if (platform::StartsWith(work.GetField(r, 9), "^"))
        app.entryKind = kKindNoDescription;
    else if (FieldInt(work, r, 14) == 11)
        app.entryKind = kKindProgram;
    else
        app.entryKind = kKindOther;
}

void TMN_FRM::SelectRecord(int r) {
    Application& app = App();
    CurrentProgram& cp = app.current;
    auto& st = app.buttonState;
    if (r == -1) {
        for (int i : {1, 2, 3, 4, 5, 11, 12}) st[i] = 1;
        cp.programPath.clear();
        cp.runCommand.clear();
        cp.setupCommand.clear();
        cp.infoPath.clear();
        cp.largePictureFolder.clear();
        cp.linkTarget.clear();
        cp.webAddress.clear();
        return;
    }
    CJXNdt4File& work = app.workCatalogue;
    if (r < 0 || r >= work.recordCount) return;
    const std::string f1 = work.GetField(r, 1);
    cp.programPath = discpaths::ProgramPath(app.discRoot, f1);
    cp.runCommand = work.GetField(r, 3);
    cp.setupCommand = work.GetField(r, 2);
    const std::string f5 = work.GetField(r, 5);
    if (discpaths::SetsInfoPath(f5)) cp.infoPath = discpaths::InfoPath(app.discRoot, f5);
    ParsePictureList(r);
    cp.largePictureFolder = discpaths::LargePictureFolder(app.discRoot);
    cp.smallPictureFolder = discpaths::SmallPictureFolder(app.discRoot);
    st[1] = cp.runCommand.empty() ? 1 : 2;
    st[2] = cp.setupCommand.empty() ? 1 : 2;
    if (IsZipPath(cp.programPath)) {
        st[2] = 2;
        st[1] = 1;
    }
    st[11] = work.GetField(r, 4).empty() ? 1 : 2;
    st[3] = discpaths::NamesInfoFile(f5) ? 2 : 1;
    st[4] = f1.empty() ? 1 : 2;
    st[5] = FieldInt(work, r, 14) == 11 ? 2 : 1;
    const std::string f10 = work.GetField(r, 10);
    st[12] = f10.empty() ? 1 : 2;
    cp.linkTarget = f10;
    const std::string f11 = work.GetField(r, 11);
    cp.webAddress = platform::StartsWith(f11, "http") ? f11 : std::string();
}

void TMN_FRM::ParsePictureList(int r) {
    CurrentProgram& cp = App().current;
    cp.pictureCount = discpaths::ParsePictureList(App().workCatalogue.GetField(r, 4), cp.pictures);
}

void TMN_FRM::ResetButtonStates() {
    auto& st = App().buttonState;
    for (int i = 0; i <= 10; ++i) st[i] = 0;
    for (int i = 1; i <= 5; ++i) st[i] = 1;
    for (int i = 6; i <= 10; ++i) st[i] = 2;
    st[11] = 1;
    st[12] = 1;
}

std::string TMN_FRM::IssueCodeFrom(const std::string& titleLine2) { return discpaths::EditionCode(titleLine2); }

void TMN_FRM::ShowListVariant(int button) {
    Application& app = App();
    if (button < 8 || button > 10) return;
    programList.Clear();
    DecodeCatalogue(button == 10 ? app.rawSecondCatalogue : app.rawMainCatalogue);
    FillProgramList(button != 8);
    programList.Repaint();
    programList.Select(button == 8 ? 0 : FirstProgram());
    programList.Repaint();
}
