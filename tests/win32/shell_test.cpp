// The installer's shell utilities on Windows: the "Programs" folders as the registry
// names them, the groups in them, shortcuts as shell links that the shell reads
// back, and the folder copy by the shell's own file operation, whose question comes
// in front of the wizard that asked for the copy. The registry roots are the test's
// own (testsupport::DesktopSandbox), never the machine's.
#include <gtest/gtest.h>

// Before windows.h, whose macros would rename the window system's CreateWindow and
// ShellExecute.
#include "platform/headless/headless.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "install/Jxshellutils.h"
#include "platform/filecopy.h"
#include "platform/text.h"
#include "platform/win32/Win32native.h"
#include "platform/win32/Win32system.h"
#include "win32_test_support.h"
// The window system's own member of that name is called below.
#undef CreateWindow

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

namespace {

// Whether upper lies above lower in the system's order of windows.
bool Above(HWND upper, HWND lower) {
    for (HWND h = GetWindow(upper, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h == lower) return true;
    return false;
}

// The shell's question as another thread finds it on the screen while the copy
// waits for an answer.
struct Question {
    bool seen = false;
    HWND owner = nullptr, rootOwner = nullptr;
    bool aboveWizard = false, aboveMenu = false;
};

// Plays the user of a copy that runs on the thread `copier`: waits for the shell's
// question (a dialog of that thread), notes where it stands and answers it. A copy
// that never asks, or asks in some other window, is ended after the time limit by
// closing whatever that thread shows, so the test never hangs.
class QuestionAnswerer {
public:
    QuestionAnswerer(DWORD copier, HWND wizard, HWND menu, WPARAM answer)
        : thread_([=, this] { Run(copier, wizard, menu, answer); }) {}
    ~QuestionAnswerer() { Stop(); }
    // After the copy has returned.
    Question Seen() {
        Stop();
        return seen_;
    }

private:
    void Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    static std::vector<HWND> Shown(DWORD thread) {
        std::vector<HWND> out;
        EnumThreadWindows(
            thread,
            [](HWND w, LPARAM lp) CALLBACK -> BOOL {
                if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&out));
        return out;
    }
    void Run(DWORD copier, HWND wizard, HWND menu, WPARAM answer) {
        using Clock = std::chrono::steady_clock;
        const auto limit = Clock::now() + std::chrono::seconds(20);
        while (!done_ && Clock::now() < limit) {
            for (HWND w : Shown(copier)) {
                wchar_t cls[16] = {};
                GetClassNameW(w, cls, 16);
                if (seen_.seen || std::wstring(cls) != L"#32770") continue;
                // Once it is up and placed.
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                seen_.seen = true;
                seen_.owner = GetWindow(w, GW_OWNER);
                seen_.rootOwner = GetAncestor(w, GA_ROOTOWNER);
                seen_.aboveWizard = Above(w, wizard);
                seen_.aboveMenu = Above(w, menu);
                PostMessageW(w, WM_COMMAND, answer, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        while (!done_) {
            for (HWND w : Shown(copier))
                if (w != wizard && w != menu) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    Question seen_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace

TEST_F(ShellOnWindows, TheShellAsksBeforeReplacingInFrontOfTheWizardThatOwnsTheCopy) {
    // The menu and the wizard in front of it, both kept above other programs.
    auto sys = platform::win32::CreateWin32System();
    platform::WindowStyle ms;
    ms.stayOnTop = true;
    ms.width = 300;
    ms.height = 200;
    auto menu = sys->CreateWindow(ms);
    platform::WindowStyle ws;
    ws.dialog = true;
    ws.borderless = false;
    ws.stayOnTop = true;
    ws.centred = true;
    ws.width = 502;
    ws.height = 354;
    auto wizard = sys->CreateWindow(ws);
    menu->Show();
    wizard->Show();
    sys->ProcessMessages();
    const HWND wizardHwnd = platform::win32::NativeWindow(*wizard), menuHwnd = platform::win32::NativeWindow(*menu);

    const std::string src = home_ + "/Gra", dest = home_ + "/Kopia";
    ASSERT_TRUE(platform::HostMakeDirectories(src));
    ASSERT_TRUE(platform::HostMakeDirectories(dest));
    testsupport::WriteFile(src + "/gra.exe", std::string("nowa"));
    testsupport::WriteFile(dest + "/gra.exe", std::string("stara"));

    // "Nie": the file that was there stays, and the copy is done all the same.
    QuestionAnswerer no(GetCurrentThreadId(), wizardHwnd, menuHwnd, IDNO);
    EXPECT_EQ(platform::CopyFolderTree(wizard.get(), "C:\\Gra", "C:\\Kopia", "Kopiowanie..."), platform::kCopyDone);
    const Question q = no.Seen();
    ASSERT_TRUE(q.seen) << "the shell asked nothing";
    EXPECT_EQ(q.owner, wizardHwnd) << "the question belongs to the wizard";
    EXPECT_EQ(q.rootOwner, menuHwnd) << "and through it to the menu";
    EXPECT_TRUE(q.aboveWizard) << "the question opened behind the wizard";
    EXPECT_TRUE(q.aboveMenu) << "the question opened behind the menu";
    EXPECT_EQ(testsupport::ReadFile(dest + "/gra.exe"), (std::vector<uint8_t>{'s', 't', 'a', 'r', 'a'}));
    // The wizard takes input again once the question is gone.
    EXPECT_TRUE(IsWindowEnabled(wizardHwnd));
    EXPECT_TRUE(wizard->Visible());

    // "Anuluj" in the question stops the copy.
    QuestionAnswerer cancel(GetCurrentThreadId(), wizardHwnd, menuHwnd, IDCANCEL);
    EXPECT_EQ(platform::CopyFolderTree(wizard.get(), "C:\\Gra", "C:\\Kopia", "Kopiowanie..."), platform::kCopyCancelled);
    EXPECT_TRUE(cancel.Seen().seen);
    EXPECT_EQ(testsupport::ReadFile(dest + "/gra.exe"), (std::vector<uint8_t>{'s', 't', 'a', 'r', 'a'}));
    EXPECT_TRUE(IsWindowEnabled(wizardHwnd));
}
