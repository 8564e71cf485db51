// The application-wide objects: built before the first window, in this order, and
// destroyed after the message loop in the reverse order. One instance per run,
// reached through App().
#pragma once

#include <array>
#include <string>

#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "promotion/Cjxmultiadvmoduleu.h"
#include "widgets/Cjxopiswinu.h"

// What the program knows about the selected entry.
struct CurrentProgram {
    std::string programPath, runCommand, setupCommand, infoPath;
    std::string largePictureFolder, smallPictureFolder, linkTarget, webAddress;
    std::array<std::string, 10> pictures;
    int pictureCount = 0;
};

// A program path names a ZIP archive when its extension, upper-cased, is ".ZIP".
inline bool IsZipPath(const std::string& path) { return discpaths::IsZipPath(path); }

// Entry kinds.
enum : int { kKindOther = 10, kKindProgram = 11, kKindNoDescription = 12 };

struct Application {
    CJXOpisWin opisWin;                                   // the description window
    CJXNdt4File workCatalogue, rawMainCatalogue, rawSecondCatalogue;
    std::string discRoot, issueCode;
    CJXMultiAdvModule leftBanners, topBanners;
    CurrentProgram current;

    // Kept with the model: the selected entry and the twelve button states
    // (index 0 unused; 1 inactive, 2 active).
    int entryKind = kKindProgram;
    int selectedRecord = -1;
    std::array<int, 13> buttonState{};
};

Application& App();
void SetApp(Application* a);
