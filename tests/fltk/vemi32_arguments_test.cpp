// The menu program answers --help and --version on the terminal, without a display,
// and hands every other argument to the menu as before.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

// Runs the menu program with no display to talk to; stdout and stderr together.
int RunMenu(const std::string& args, std::string& out) {
    return testsupport::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY '" + std::string(VEMI_MENU) + "' " + args + " 2>&1", &out);
}

}  // namespace

TEST(MenuProgram, HelpAndVersionNeedNoDisplay) {
    std::string out;
    ASSERT_EQ(RunMenu("--version", out), 0);
    EXPECT_EQ(out, std::string("vemi32 ") + VEMI_VERSION + "\n");
    ASSERT_EQ(RunMenu("--help", out), 0);
    EXPECT_EQ(out.rfind("usage: vemi32 [/NOFLASH]\n", 0), 0u) << out;
    EXPECT_NE(out.find("VEMI_DISC_ROOT"), std::string::npos) << out;
    EXPECT_NE(out.find("VEMI_DRIVE_C"), std::string::npos) << out;

    // Anything else is the menu's: it starts, and without a display it says so.
    for (const char* args : {"", "/NOFLASH", "/noflash --help", "--helpful"}) {
        SCOPED_TRACE(args);
        ASSERT_EQ(RunMenu(args, out), 0);
        EXPECT_EQ(out, "vemi32: cannot open the X display\n");
    }
}
