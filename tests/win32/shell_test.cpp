// The installer's shell utilities on Windows: the "Programs" folders as the registry
// names them, the groups in them, shortcuts as shell links that the shell reads
// back, and the folder copy by the shell's own file operation. The registry roots
// are the test's own (testsupport::DesktopSandbox), never the machine's.
#include <gtest/gtest.h>

// Before windows.h, whose macros would rename the window system's CreateWindow and
// ShellExecute.
#include "platform/headless/headless.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "install/Jxshellutils.h"
#include "platform/text.h"
#include "win32_test_support.h"

namespace {

using platform::W;

const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A shell link read back by the shell: its target and its working folder.
struct LinkInfo {
    bool loaded = false;
    std::wstring path, workDir;
};

LinkInfo ReadLink(const std::string& hostPath) {
    LinkInfo info;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring w = wintest::Wide(hostPath);
        for (wchar_t& c : w)
            if (c == L'/') c = L'\\';
        if (SUCCEEDED(file->Load(w.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH * 2] = {};
            info.loaded = true;
            // The target as the shell finds it: through the item list, which keeps
            // every letter (wine's plain path field holds only the ANSI code page).
            PIDLIST_ABSOLUTE items = nullptr;
            if (SUCCEEDED(link->GetIDList(&items)) && items) {
                if (SHGetPathFromIDListW(items, buf)) info.path = buf;
                CoTaskMemFree(items);
            }
            buf[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH * 2))) info.workDir = buf;
        }
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return info;
}

std::wstring Backslashed(const std::string& hostPath) {
    std::wstring w = wintest::Wide(hostPath);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

// The hard disk C: in the test's folder, the rest of the test's drive as Z:, and
// the Start-menu folders below the test's folder.
class ShellOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = tmp_ / "home";
        ASSERT_TRUE(platform::HostMakeDirectories(home_));
        platform::Drives().Map('C', home_);
        platform::Drives().Map('Z', tmp_.path().substr(0, 2) + "\\");
        desk_ = std::make_unique<testsupport::DesktopSandbox>(tmp_ / "desktop");
    }
    void TearDown() override {
        desk_.reset();
        platform::Drives().Unmap('C');
        platform::Drives().Unmap('Z');
    }
    // Sets a value of the (redirected) current user's "Shell Folders".
    static void SetUserPrograms(const std::wstring& value, DWORD type = REG_SZ) {
        HKEY k;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
        if (value.empty())
            RegDeleteValueW(k, L"Programs");
        else
            RegSetValueExW(k, L"Programs", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }
    std::string Windows(const std::string& hostPath) { return platform::Drives().ToWindows(hostPath).value_or("?"); }

    testsupport::TempDir tmp_;
    std::string home_;
    std::unique_ptr<testsupport::DesktopSandbox> desk_;
};

}  // namespace

TEST_F(ShellOnWindows, ProgramsFoldersAreTheRegistrysAsWindowsPaths) {
    EXPECT_EQ(UserProgramsFolder(), Windows(desk_->UserApplications()));
    EXPECT_EQ(CommonProgramsFolder(), Windows(desk_->CommonApplications()));
    EXPECT_EQ(UserProgramsFolder().rfind("Z:\\", 0), 0u) << UserProgramsFolder();

    // A trailing backslash goes; a value to be expanded is expanded.
    SetUserPrograms(Backslashed(home_) + L"\\Menu\\");
    EXPECT_EQ(UserProgramsFolder(), "C:\\Menu");
    SetEnvironmentVariableW(L"VEMI_TEST_MENU", Backslashed(home_ + "/Start").c_str());
    SetUserPrograms(L"%VEMI_TEST_MENU%\\Programy", REG_EXPAND_SZ);
    EXPECT_EQ(UserProgramsFolder(), "C:\\Start\\Programy");
    SetEnvironmentVariableW(L"VEMI_TEST_MENU", nullptr);
    // No value, or one that names no absolute folder, is no folder.
    SetUserPrograms(L"Programy");
    EXPECT_EQ(UserProgramsFolder(), "");
    SetUserPrograms(L"");
    EXPECT_EQ(UserProgramsFolder(), "");
    std::vector<std::string> groups;
    EXPECT_EQ(ListUserGroups(groups), 0);
    EXPECT_FALSE(CreateShortcut("C:\\gra.exe", "Gry", "Gra", false));
    // Nor does a folder that Windows-1250 cannot spell.
    SetUserPrograms(Backslashed(home_) + L"\\\u65e5\u672c");
    EXPECT_EQ(UserProgramsFolder(), "");
}

TEST_F(ShellOnWindows, GroupsAreTheFoldersHiddenOnesTooButNoFilesOrDotNames) {
    const std::string apps = desk_->UserApplications();
    for (const char* g : {"Gry", "Narzędzia", ".ukryte", "Ukryta grupa", "日本"}) ASSERT_TRUE(platform::HostMakeDirectories(apps + "/" + g));
    SetFileAttributesW(Backslashed(apps + "/Ukryta grupa").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    testsupport::WriteFile(apps + "/plik.lnk", std::string("x"));
    std::vector<std::string> groups = {"earlier"};
    EXPECT_EQ(ListUserGroups(groups), 3);
    std::sort(groups.begin() + 1, groups.end());
    EXPECT_EQ(groups, (std::vector<std::string>{"earlier", "Gry", W("Narzędzia"), "Ukryta grupa"}));
    std::vector<std::string> common;
    EXPECT_EQ(ListCommonGroups(common), 0) << "the all-users folder is not there yet";
}

TEST_F(ShellOnWindows, ShortcutsAreShellLinksWithTheTargetsFolderToWorkIn) {
    ASSERT_TRUE(platform::HostMakeDirectories(home_ + "/Gry/Żółw/bin"));
    testsupport::WriteFile(home_ + "/Gry/Żółw/bin/zolw.exe", std::string("MZ"));
    ASSERT_TRUE(CreateShortcut(W("C:\\Gry\\Żółw\\bin\\zolw.exe"), W("Gry łatwe"), W("Żółw"), false));
    const std::string link = desk_->UserApplications() + "/Gry łatwe/Żółw.lnk";
    const LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded) << link;
    EXPECT_EQ(info.path, Backslashed(home_ + "/Gry/Żółw/bin/zolw.exe"));
    EXPECT_EQ(info.workDir, Backslashed(home_ + "/Gry/Żółw/bin"));

    // A folder as target; all users get it in their own folder, made on the way.
    ASSERT_TRUE(CreateShortcut("C:\\Gry", "", "Katalog gier", true));
    const LinkInfo folder = ReadLink(desk_->CommonApplications() + "/Katalog gier.lnk");
    ASSERT_TRUE(folder.loaded);
    EXPECT_EQ(folder.path, Backslashed(home_ + "/Gry"));
    EXPECT_EQ(folder.workDir, Backslashed(home_));
    EXPECT_FALSE(platform::HostFileExists(desk_->UserApplications() + "/Katalog gier.lnk"));

    // Never above the "Programs" folder, never with an empty name.
    EXPECT_FALSE(CreateShortcut("C:\\Gry", "..", "x", false));
    EXPECT_FALSE(CreateShortcut("C:\\Gry", "a\\b", "x", false));
    EXPECT_FALSE(CreateShortcut("C:\\Gry", "Gry", "", false));
    EXPECT_FALSE(platform::HostFileExists(desk_->UserApplications() + "/x.lnk"));
}

TEST_F(ShellOnWindows, TheShellCopiesEveryFileAndFolderInside) {
    const std::string src = home_ + "/Źródło";
    ASSERT_TRUE(platform::HostMakeDirectories(src + "/podkatalog/głęboko"));
    testsupport::WriteFile(src + "/gra.exe", std::string("MZ gra"));
    testsupport::WriteFile(src + "/podkatalog/głęboko/dane żółwia.dat", std::string(100000, 'z'));
    testsupport::WriteFile(src + "/tylko do odczytu.txt", std::string("ro"));
    SetFileAttributesW(Backslashed(src + "/tylko do odczytu.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    platform::HeadlessSystem sys(1024, 768);
    platform::SetSystem(&sys);
    EXPECT_EQ(ShellCopyFolder(nullptr, W("C:\\Źródło"), W("C:\\VEMI - kopie programów\\Gra")), 0);
    const std::string dest = home_ + "/VEMI - kopie programów/Gra";
    EXPECT_EQ(testsupport::ReadFile(dest + "/gra.exe"), testsupport::ReadFile(src + "/gra.exe"));
    EXPECT_EQ(testsupport::ReadFile(dest + "/podkatalog/głęboko/dane żółwia.dat").size(), 100000u);
    EXPECT_TRUE(wintest::Attributes(dest + "/tylko do odczytu.txt") & FILE_ATTRIBUTE_READONLY)
        << "the copy keeps the attribute; the installer clears it afterwards";
    EXPECT_FALSE(platform::HostFileExists(dest + "/Źródło")) << "the folder's contents, not the folder";
    // A source that is not there is a failed copy.
    EXPECT_NE(ShellCopyFolder(nullptr, "C:\\Brak", "C:\\Cel"), 0);
    platform::SetSystem(nullptr);
    EXPECT_TRUE(sys.Messages().empty());
    SetFileAttributesW(Backslashed(dest + "/tylko do odczytu.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(Backslashed(src + "/tylko do odczytu.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}
