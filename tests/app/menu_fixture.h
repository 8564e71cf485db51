// A whole menu on the headless back end, started on a small disc made for the test:
// the catalogue is the test's own, the fonts, button and scroll-bar pictures and the
// default screenshot come from the sample disc that vemi-disc builds.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Mainu.h"
#include "platform/headless/headless.h"
#include "support/test_support.h"

namespace menutest {

// One catalogue record; fields 0..15 as the disc stores them (UTF-8 here, converted).
struct Record {
    std::array<std::string, 16> f;
};

Record Group(const std::string& name, int level = 0);
Record Prog(const std::string& name, int level = 1);

// The plain lines of a catalogue (title line 2 "12/2007").
std::vector<std::string> CatalogueLines(const std::vector<Record>& records);

// A solid-colour JPEG of the given size.
void WriteJpeg(const std::string& hostPath, int w, int h, platform::Rgb colour);

class MenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Writes a disc with these records into disc_ (both catalogues the same unless
    // second is given).
    void MakeDisc(const std::vector<Record>& records, const std::vector<Record>* second = nullptr);
    // Starts the program on disc_ with a screen of w x h. Returns Program::Start().
    bool Start(int w = 1024, int h = 768, std::vector<std::string> args = {});
    void Stop();

    platform::HeadlessWindow& Main();
    TMN_FRM& Frm() { return *program_->MainWindow(); }
    platform::Image& Canvas() { return Main().Canvas(); }
    // Client point of the text of visible row v of the list.
    static int RowY(int v) { return 143 + 17 * v + 8; }
    void ClickRow(int v, int depth = 1);
    void ClickAt(int x, int y, platform::Button b = platform::Button::Left);

    // How many device pixels of the headless screen a pixel of the program is.
    int deviceScale_ = 1;
    std::string disc_;  // host folder of the disc
    std::unique_ptr<testsupport::TempDir> tmp_;
    // Shortcuts the menu's installer makes land here, never in the real menus.
    std::unique_ptr<testsupport::DesktopSandbox> desk_;
    std::unique_ptr<platform::HeadlessSystem> sys_;
    std::unique_ptr<Program> program_;
    static std::string sampleDisc_;
};

}  // namespace menutest
