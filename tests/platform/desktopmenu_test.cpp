#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "platform/posix/desktopmenu.h"
#include "platform/startmenu.h"
#include "support/test_support.h"

using namespace platform;
namespace fs = std::filesystem;
using testsupport::ScopedEnv;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void MakeProgram(const std::string& path, const std::string& body) {
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

// Folders of one test below a temporary folder.
MenuFolders FoldersIn(const testsupport::TempDir& dir) {
    return {dir / "share/applications", dir / "share/desktop-directories", dir / "menus/applications-merged"};
}

// Host names that a shell, the Exec quoting or the key-file escapes would each
// take apart if handled carelessly.
const char* const kHostileNames[] = {
    "Moje programy",  "a \"cytat\" b",  "it's",         "back\\slash",  "dolar $HOME i ${X}",
    "procent %f %%",  "`id` $(id)",     "zażółć gęślą", "~tylda; & | <>", "gwiazdka * pytajnik ? # (x)",
};

}  // namespace

TEST(DesktopMenu, FoldersFollowTheUsersSettingsAndTheRedirections) {
    ScopedEnv home("HOME", "/home/ktos");
    {
        ScopedEnv data("XDG_DATA_HOME", nullptr), config("XDG_CONFIG_HOME", nullptr);
        MenuFolders f = DesktopMenuFolders(false);
        EXPECT_EQ(f.applications, "/home/ktos/.local/share/applications");
        EXPECT_EQ(f.directories, "/home/ktos/.local/share/desktop-directories");
        EXPECT_EQ(f.mergedMenus, "/home/ktos/.config/menus/applications-merged");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/dane/"), config("XDG_CONFIG_HOME", "/srv/konf");
        MenuFolders f = DesktopMenuFolders(false);
        EXPECT_EQ(f.applications, "/srv/dane/applications");
        EXPECT_EQ(f.directories, "/srv/dane/desktop-directories");
        EXPECT_EQ(f.mergedMenus, "/srv/konf/menus/applications-merged");
    }
    {
        // Relative settings mean nothing to the desktop either.
        ScopedEnv data("XDG_DATA_HOME", "dane"), config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(DesktopMenuFolders(false).applications, "/home/ktos/.local/share/applications");
        EXPECT_EQ(DesktopMenuFolders(false).mergedMenus, "/home/ktos/.config/menus/applications-merged");
    }
    {
        ScopedEnv noHome("HOME", nullptr), data("XDG_DATA_HOME", nullptr), config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(DesktopMenuFolders(false).applications, "");
    }
    {
        ScopedEnv programs("VEMI_COMMON_PROGRAMS", nullptr), menus("VEMI_COMMON_MENUS", nullptr);
        MenuFolders f = DesktopMenuFolders(true);
        EXPECT_EQ(f.applications, "/usr/local/share/applications");
        EXPECT_EQ(f.directories, "/usr/local/share/desktop-directories");
        EXPECT_EQ(f.mergedMenus, "/etc/xdg/menus/applications-merged");
    }
    {
        ScopedEnv programs("VEMI_COMMON_PROGRAMS", "/tmp/x/share/applications"), menus("VEMI_COMMON_MENUS", "/tmp/x/menus");
        MenuFolders f = DesktopMenuFolders(true);
        EXPECT_EQ(f.applications, "/tmp/x/share/applications");
        EXPECT_EQ(f.directories, "/tmp/x/share/desktop-directories");
        EXPECT_EQ(f.mergedMenus, "/tmp/x/menus");
    }
}

// Whether shortcuts can be made in a set of menu folders, answered before trying:
// every folder that is missing must be one the user can create.
TEST(DesktopMenu, FoldersAreWritableWhenEachCanBeMadeOrWrittenInto) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "plik", "x");
    const MenuFolders fresh = FoldersIn(dir);
    EXPECT_TRUE(CanWriteMenuFolders(fresh));  // none exists yet; their parents can take them
    fs::create_directories(fresh.applications);
    fs::create_directories(fresh.mergedMenus);
    EXPECT_TRUE(CanWriteMenuFolders(fresh));
    // A file where a folder should be stops whoever runs this, the administrator too.
    const std::string blocked = dir / "plik/applications";
    for (int which = 0; which < 3; ++which) {
        MenuFolders f = fresh;
        (which == 0 ? f.applications : which == 1 ? f.directories : f.mergedMenus) = blocked;
        EXPECT_FALSE(CanWriteMenuFolders(f)) << which;
    }
    EXPECT_FALSE(CanWriteMenuFolders(MenuFolders{}));
    // The permission bits stop an ordinary user (the administrator writes anyway).
    if (geteuid() != 0) {
        chmod((dir / "share").c_str(), 0555);
        EXPECT_FALSE(CanWriteMenuFolders(fresh));
        chmod((dir / "share").c_str(), 0755);
    }
    // The all-users folders are the ones asked about, redirections included.
    ScopedEnv programs("VEMI_COMMON_PROGRAMS", fresh.applications.c_str()), menus("VEMI_COMMON_MENUS", blocked.c_str());
    EXPECT_FALSE(CanWriteCommonPrograms());
    ScopedEnv menus2("VEMI_COMMON_MENUS", fresh.mergedMenus.c_str());
    EXPECT_TRUE(CanWriteCommonPrograms());
}

TEST(DesktopMenu, ExecStartsEachKindOfTargetAndEveryNameSurvivesTheQuoting) {
    testsupport::TempDir dir;
    for (const char* n : kHostileNames) {
        SCOPED_TRACE(n);
        std::string folder = dir / n;
        fs::create_directories(folder);
        testsupport::WriteFile(folder + "/" + n + ".txt", "x");
        testsupport::WriteFile(folder + "/" + n + ".EXE", "MZ");
        testsupport::WriteFile(folder + "/" + n + ".msi", "x");
        MakeProgram(folder + "/" + n, "exit 0\n");

        using V = std::vector<std::string>;
        auto split = [](const std::string& target) {
            // The value as it stands in the file, read back through the key-file escapes.
            testsupport::TempDir d;
            testsupport::WriteFile(d / "e.desktop", "[Desktop Entry]\nExec=" + DesktopExecValue(target) + "\n");
            return testsupport::SplitExec(testsupport::ReadDesktopEntry(d / "e.desktop")["Exec"]);
        };
        EXPECT_EQ(split(folder), (V{"xdg-open", folder}));
        EXPECT_EQ(split(folder + "/" + n + ".txt"), (V{"xdg-open", folder + "/" + n + ".txt"}));
        EXPECT_EQ(split(folder + "/" + n + ".EXE"), (V{"wine", folder + "/" + n + ".EXE"}));
        EXPECT_EQ(split(folder + "/" + n + ".msi"), (V{"wine", "msiexec", "/i", folder + "/" + n + ".msi"}));
        std::string program = folder + "/" + n;
        if (program.find('%') == std::string::npos)
            EXPECT_EQ(split(program), V{program});
        else
            EXPECT_EQ(split(program), (V{"sh", "-c", "exec \"$0\"", program}));
    }
}

TEST(DesktopMenu, ShortcutsAreValidEntriesInASubMenuThatKeepsEveryEntry) {
    testsupport::TempDir dir;
    MenuFolders f = FoldersIn(dir);
    std::string group = f.applications + "/Gry & zabawy";
    fs::create_directories(group);
    std::string target = dir / "C/Gry/Saper dla \"mistrzów\" $1 100%/saper.exe";
    testsupport::WriteFile(target, "MZ");

    ASSERT_TRUE(SaveMenuShortcut(f, group, " Saper", target, dir / "C/Gry/Saper dla \"mistrzów\" $1 100%"));
    ASSERT_TRUE(SaveMenuShortcut(f, group, "Łamigłówki", dir / "C/Gry", dir / "C"));

    std::string first = group + "/ Saper.desktop", second = group + "/Łamigłówki.desktop";
    EXPECT_EQ(testsupport::DesktopFileErrors(first), "");
    EXPECT_EQ(testsupport::DesktopFileErrors(second), "");
    auto e = testsupport::ReadDesktopEntry(first);
    EXPECT_EQ(e["Type"], "Application");
    EXPECT_EQ(e["Name"], " Saper");
    EXPECT_EQ(e["Path"], dir / "C/Gry/Saper dla \"mistrzów\" $1 100%");
    EXPECT_EQ(testsupport::SplitExec(e["Exec"]), (std::vector<std::string>{"wine", target}));
    EXPECT_EQ(testsupport::ReadDesktopEntry(second)["Icon"], "folder");

    std::string directory = f.directories + "/vemi-Gry & zabawy.directory";
    EXPECT_EQ(testsupport::DesktopFileErrors(directory), "");
    EXPECT_EQ(testsupport::ReadDesktopEntry(directory)["Name"], "Gry & zabawy");
    EXPECT_EQ(testsupport::ReadDesktopEntry(directory)["Type"], "Directory");

    std::string menu = ReadText(f.mergedMenus + "/vemi-Gry & zabawy.menu");
    EXPECT_NE(menu.find("<Name>Applications</Name>"), std::string::npos);
    EXPECT_NE(menu.find("<Name>Gry &amp; zabawy</Name>"), std::string::npos);
    EXPECT_NE(menu.find("<Directory>vemi-Gry &amp; zabawy.directory</Directory>"), std::string::npos);
    EXPECT_NE(menu.find("<DirectoryDir>" + f.directories + "</DirectoryDir>"), std::string::npos);
    // Both entries, by their desktop file ids: the sub-folder, a dash, the file.
    EXPECT_NE(menu.find("<Filename>Gry &amp; zabawy- Saper.desktop</Filename>"), std::string::npos);
    EXPECT_NE(menu.find("<Filename>Gry &amp; zabawy-Łamigłówki.desktop</Filename>"), std::string::npos);
    // Nothing half-written stays behind.
    for (const std::string& folder : {group, f.directories, f.mergedMenus})
        for (auto& p : fs::directory_iterator(folder)) EXPECT_EQ(p.path().filename().string().rfind(".vemi-", 0), std::string::npos);

    // xmllint is not at hand everywhere; the menu must at least be balanced.
    size_t open = 0, close = 0;
    for (size_t p = 0; (p = menu.find("<Menu>", p)) != std::string::npos; ++p) ++open;
    for (size_t p = 0; (p = menu.find("</Menu>", p)) != std::string::npos; ++p) ++close;
    EXPECT_EQ(open, 2u);
    EXPECT_EQ(close, 2u);
}

TEST(DesktopMenu, ShortcutsOutsideTheFolderOrThroughALinkAreNeverWritten) {
    testsupport::TempDir dir;
    MenuFolders f = FoldersIn(dir);
    fs::create_directories(f.applications + "/Gry/Głębiej");
    testsupport::WriteFile(dir / "gra.txt", "x");
    // Groups are one level deep, and the folder must be the applications folder's own.
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry/Głębiej", "Gra", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, dir.path(), "Gra", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Brak", "Gra", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry", "", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry", "a/b", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry", "zła\xff", dir / "gra.txt", ""));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry", "Gra", dir / "zła\xff.txt", ""));
    EXPECT_FALSE(fs::exists(f.mergedMenus));

    // A link in the entry's place is replaced; the file it points to stays as it was.
    testsupport::WriteFile(dir / "cenny.txt", "nie ruszać");
    fs::create_symlink(dir / "cenny.txt", f.applications + "/Gry/Gra.desktop");
    ASSERT_TRUE(SaveMenuShortcut(f, f.applications + "/Gry", "Gra", dir / "gra.txt", dir.path()));
    EXPECT_EQ(ReadText(dir / "cenny.txt"), "nie ruszać");
    EXPECT_FALSE(fs::is_symlink(f.applications + "/Gry/Gra.desktop"));
    EXPECT_EQ(testsupport::ReadDesktopEntry(f.applications + "/Gry/Gra.desktop")["Name"], "Gra");

    // Straight in the applications folder: an entry, no sub-menu.
    ASSERT_TRUE(SaveMenuShortcut(f, f.applications, "Luzem", dir / "gra.txt", dir.path()));
    EXPECT_EQ(testsupport::DesktopFileErrors(f.applications + "/Luzem.desktop"), "");
    EXPECT_TRUE(fs::exists(f.mergedMenus + "/vemi-Gry.menu"));
    EXPECT_EQ(std::distance(fs::directory_iterator(f.mergedMenus), fs::directory_iterator()), 1);
}

// The desktop's own reader has the last word on quoting: GLib's launcher starts a
// program from a folder whose name is full of traps, in that folder.
TEST(DesktopMenu, TheDesktopsLauncherStartsTheProgramInItsFolder) {
    testsupport::TempDir dir;
    if (testsupport::RunCommand("command -v gio >/dev/null") != 0) GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    MenuFolders f = FoldersIn(dir);
    fs::create_directories(f.applications);
    int n = 0;
    for (std::string name : {std::string("a \"b\" $c 'd' `e` ł\\f"), std::string("100% \\$HOME \"\\\"")}) {
        SCOPED_TRACE(name);
        std::string folder = dir / name, record = dir / ("record" + std::to_string(++n));
        fs::create_directories(folder);
        MakeProgram(folder + "/start gry", "{ printf '%s\\n' \"$0\"; pwd; } > '" + record + "'\n");
        ASSERT_TRUE(SaveMenuShortcut(f, f.applications, "Gra", folder + "/start gry", folder));
        std::string entry = f.applications + "/Gra.desktop";
        ASSERT_EQ(testsupport::DesktopFileErrors(entry), "");
        std::string out;
        ASSERT_EQ(testsupport::RunCommand("gio launch '" + entry + "' 2>&1", &out), 0) << out;
        std::string got;
        for (int i = 0; i < 250 && (got = ReadText(record)).find('\n', got.find('\n') + 1) == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(got, folder + "/start gry\n" + folder + "\n");
    }
}

// The menu knows an entry by its desktop file id alone, and in a group that id is
// "<group>-<file>": names with dashes must not make two shortcuts one entry, and a
// name must never make a hidden file.
TEST(DesktopMenu, EveryShortcutHasADesktopFileIdOfItsOwn) {
    testsupport::TempDir dir;
    MenuFolders f = FoldersIn(dir);
    testsupport::WriteFile(dir / "gra.txt", "x");
    struct Case {
        std::string group, name;
    };
    const Case cases[] = {{"a-b", "Gra"}, {"a", "b-Gra"}, {"", "a-b-Gra"}, {"a", "b_2DGra"}, {"", "."}, {"", ".."}, {"a", "_2E"}};
    std::set<std::string> ids;
    for (const Case& c : cases) {
        const std::string folder = c.group.empty() ? f.applications : f.applications + "/" + c.group;
        fs::create_directories(folder);
        ASSERT_TRUE(SaveMenuShortcut(f, folder, c.name, dir / "gra.txt", "")) << c.group << " / " << c.name;
    }
    for (auto& p : fs::recursive_directory_iterator(f.applications)) {
        if (!p.is_regular_file()) continue;
        const fs::path rel = fs::relative(p.path(), f.applications);
        const std::string file = p.path().filename().string();
        EXPECT_NE(file[0], '.') << rel;
        // The id as the desktop makes it: the path below the folder, '/' turned into '-'.
        std::string id = rel.string();
        std::replace(id.begin(), id.end(), '/', '-');
        EXPECT_TRUE(ids.insert(id).second) << "two shortcuts share the id " << id;
        // Each group's menu lists its entries by exactly these ids.
        if (rel.has_parent_path()) {
            const std::string menu = ReadText(f.mergedMenus + "/vemi-" + rel.parent_path().string() + ".menu");
            EXPECT_NE(menu.find("<Filename>" + id + "</Filename>"), std::string::npos) << id;
        }
    }
    EXPECT_EQ(ids.size(), std::size(cases));
}

// A shortcut is all its files or none: a group whose sub-menu files cannot be
// written leaves no entry behind, and an entry that was there stays as it was.
TEST(DesktopMenu, AShortcutThatCannotBeSavedWhollyLeavesNothing) {
    testsupport::TempDir dir;
    MenuFolders f = FoldersIn(dir);
    testsupport::WriteFile(dir / "gra.txt", "x");
    // A group name that fits a folder but not "vemi-<group>.directory".
    const std::string group = f.applications + "/" + std::string(250, 'g');
    fs::create_directories(group);
    EXPECT_FALSE(SaveMenuShortcut(f, group, "Gra", dir / "gra.txt", ""));
    EXPECT_TRUE(fs::is_empty(group));
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications, std::string(260, 'n'), dir / "gra.txt", ""));

    // A merged-menu folder that cannot be written: the earlier entry of the group keeps
    // its text, and no new entry appears.
    fs::create_directories(f.applications + "/Gry");
    ASSERT_TRUE(SaveMenuShortcut(f, f.applications + "/Gry", "Stara", dir / "gra.txt", ""));
    const std::string before = ReadText(f.applications + "/Gry/Stara.desktop");
    fs::remove_all(f.mergedMenus);
    testsupport::WriteFile(f.mergedMenus, "a file where the folder should be");
    EXPECT_FALSE(SaveMenuShortcut(f, f.applications + "/Gry", "Nowa", dir / "gra.txt", ""));
    EXPECT_FALSE(fs::exists(f.applications + "/Gry/Nowa.desktop"));
    EXPECT_EQ(ReadText(f.applications + "/Gry/Stara.desktop"), before);
    for (auto& p : fs::recursive_directory_iterator(dir.path()))
        EXPECT_EQ(p.path().filename().string().rfind(".vemi-", 0), std::string::npos) << p.path();
}
