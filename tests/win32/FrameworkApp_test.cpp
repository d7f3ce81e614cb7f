// The application object: its message box (caption, icon, owner), its registry key that
// stays unwritten, its command table for commands no window handled, and the program's
// entry sequence.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "framework/WinApp.h"

namespace {

// What a message box showed, noted when it became active, just before it is closed.
struct BoxSeen {
    std::string caption;
    std::string text;
    HICON icon = nullptr;
    HWND owner = nullptr;
};

std::vector<BoxSeen> g_boxes;
int g_closeWith = IDOK;

bool IsDialogBox(HWND hWnd)
{
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found)
{
    char className[16] = {};
    ::GetClassNameA(child, className, sizeof className);
    const LONG style = ::GetWindowLongA(child, GWL_STYLE);
    if (::_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
        *reinterpret_cast<HICON*>(found) =
            reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    return TRUE;
}

BoxSeen Inspect(HWND box)
{
    BoxSeen seen;
    char buffer[512] = {};
    ::GetWindowTextA(box, buffer, sizeof buffer);
    seen.caption = buffer;
    buffer[0] = '\0';
    ::GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);  // the box's text control
    seen.text = buffer;
    ::EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&seen.icon));
    seen.owner = ::GetWindow(box, GW_OWNER);
    return seen;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (IsDialogBox(box) && !::GetPropA(box, "fwtest.seen")) {
            ::SetPropA(box, "fwtest.seen", box);
            g_boxes.push_back(Inspect(box));
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(g_closeWith, BN_CLICKED), 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Ends any box the hook missed, so that a failing test fails instead of waiting forever.
BOOL CALLBACK EndBox(HWND hWnd, LPARAM)
{
    if (IsDialogBox(hWnd))
        ::EndDialog(hWnd, IDABORT);
    return TRUE;
}

void CALLBACK SafetyNet(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &EndBox, 0);
}

class FrameworkAppMessageBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_boxes.clear();
        g_closeWith = IDOK;
        hook = ::SetWindowsHookExA(WH_CBT, &WatchBoxes, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        safetyTimer = ::SetTimer(nullptr, 0, 10000, &SafetyNet);
    }
    void TearDown() override
    {
        ::KillTimer(nullptr, safetyTimer);
        ::UnhookWindowsHookEx(hook);
    }

    static HICON SystemIcon(const char* id) { return ::LoadIconA(nullptr, id); }

    CWinApp app{"Framework Tests"};
    HHOOK hook = nullptr;
    UINT_PTR safetyTimer = 0;
};

TEST_F(FrameworkAppMessageBox, OkBoxNamingNoIconGetsTheExclamationMarkAndTheAppsName)
{
    EXPECT_EQ(IDOK, app.DoMessageBox("You can run it only one time!", MB_OK));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Framework Tests", g_boxes[0].caption);
    EXPECT_EQ("You can run it only one time!", g_boxes[0].text);
    EXPECT_EQ(SystemIcon(IDI_EXCLAMATION), g_boxes[0].icon);
    EXPECT_EQ(nullptr, g_boxes[0].owner);
}

TEST_F(FrameworkAppMessageBox, OkCancelBoxNamingNoIconGetsTheExclamationMarkToo)
{
    g_closeWith = IDCANCEL;
    EXPECT_EQ(IDCANCEL, app.DoMessageBox("question", MB_OKCANCEL));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(SystemIcon(IDI_EXCLAMATION), g_boxes[0].icon);
}

TEST_F(FrameworkAppMessageBox, ExplicitIconIsLeftAlone)
{
    app.DoMessageBox("information", MB_OK | MB_ICONINFORMATION);
    app.DoMessageBox("stop", MB_OK | MB_ICONHAND);
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(SystemIcon(IDI_ASTERISK), g_boxes[0].icon);
    EXPECT_EQ(SystemIcon(IDI_HAND), g_boxes[1].icon);
}

TEST_F(FrameworkAppMessageBox, BoxIsOwnedByTheMainWindow)
{
    fwtest::ScopedWindow mainWindow(fwtest::CreateRecordingWindow(nullptr));
    CWnd main;
    ASSERT_TRUE(main.SubclassWindow(mainWindow.get()));
    app.m_pMainWnd = &main;
    app.DoMessageBox("owned", MB_OK);
    app.m_pMainWnd = nullptr;
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(mainWindow.get(), g_boxes[0].owner);
}

TEST_F(FrameworkAppMessageBox, FreeFunctionGoesThroughTheApplication)
{
    EXPECT_EQ(IDOK, AfxMessageBox("through the app", MB_OK));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Framework Tests", g_boxes[0].caption);
    EXPECT_EQ(SystemIcon(IDI_EXCLAMATION), g_boxes[0].icon);
}

TEST(FrameworkApp, NameComesFromTheModuleFileWhenNoneIsGiven)
{
    CWinApp unnamed;
    unnamed.AttachInstance(::GetModuleHandleA(nullptr));
    EXPECT_EQ("win32_tests", unnamed.m_pszAppName);
    EXPECT_EQ(::GetModuleHandleA(nullptr), unnamed.m_hInstance);
}

TEST(FrameworkApp, NameGivenIsKept)
{
    CWinApp named("Framework Tests");
    named.AttachInstance(::GetModuleHandleA(nullptr));
    EXPECT_EQ("Framework Tests", named.m_pszAppName);
    EXPECT_EQ(&named, AfxGetApp());
}

TEST(FrameworkApp, RegistryKeyIsRecordedAndNothingIsWritten)
{
    const char key[] = "Tidemark Framework Test Key";
    const char path[] = "Software\\Tidemark Framework Test Key";
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_FILE_NOT_FOUND, ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &opened));

    CWinApp app("Framework Tests");
    app.SetRegistryKey(key);
    EXPECT_EQ(key, app.m_pszRegistryKey);
    EXPECT_EQ("Framework Tests", app.m_pszProfileName);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &opened));
}

constexpr UINT kUnlistedCommand = ID_HELP + 1;

class CommandTableApp : public CWinApp {
public:
    CommandTableApp() : CWinApp("Framework Tests") {}
    int helps = 0;
    void OnTestHelp() { ++helps; }

protected:
    const CommandMap* GetCommandMap() const override
    {
        static const CommandEntry entries[] = {
            {ID_HELP, static_cast<void (CWinApp::*)()>(&CommandTableApp::OnTestHelp)},
        };
        static const CommandMap map{entries, sizeof entries / sizeof entries[0]};
        return &map;
    }
};

// A window whose own table takes one command the application also lists.
class CommandWindow : public CWnd {
public:
    int takenHere = 0;

protected:
    const MessageMap* GetMessageMap() const override
    {
        static const MessageEntry entries[] = {
            OnCommand<kUnlistedCommand + 1, 0, &CommandWindow::OnTaken>(),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetThisMessageMap(), entries);
        return &map;
    }
    void OnTaken() { ++takenHere; }
};

TEST(FrameworkAppCommands, CommandNoWindowHandlesGoesToTheApplicationsTable)
{
    CommandTableApp app;
    fwtest::OwnProcLog own;
    fwtest::ScopedWindow hWnd(fwtest::CreateRecordingWindow(&own));
    CommandWindow window;
    ASSERT_TRUE(window.SubclassWindow(hWnd.get()));

    window.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    EXPECT_EQ(1, app.helps);
    EXPECT_EQ(0, own.Count(WM_COMMAND));

    window.SendMessage(WM_COMMAND, MAKEWPARAM(kUnlistedCommand, 0), 0);
    EXPECT_EQ(1, app.helps);
    ASSERT_EQ(1, own.Count(WM_COMMAND));
    EXPECT_EQ(kUnlistedCommand, LOWORD(own.Last(WM_COMMAND)->wParam));

    window.SendMessage(WM_COMMAND, MAKEWPARAM(kUnlistedCommand + 1, 0), 0);
    EXPECT_EQ(1, window.takenHere);
    EXPECT_EQ(1, own.Count(WM_COMMAND));
}

// The entry: InitInstance after the instance is attached; false ends the program with
// ExitInstance's code, true runs the message loop until WM_QUIT first.
class EntryApp : public CWinApp {
public:
    BOOL initResult = FALSE;
    HINSTANCE instanceAtInit = nullptr;
    std::string nameAtInit;
    std::vector<std::string> calls;

    BOOL InitInstance() override
    {
        calls.push_back("init");
        instanceAtInit = m_hInstance;
        nameAtInit = m_pszAppName;
        if (initResult)
            ::PostQuitMessage(0);
        return initResult;
    }
    int ExitInstance() override
    {
        calls.push_back("exit");
        return 42;
    }
    int Run() override
    {
        calls.push_back("run");
        return CWinApp::Run();
    }
};

TEST(FrameworkAppEntry, InitInstanceReturningFalseEndsWithoutAMessageLoop)
{
    EntryApp app;
    EXPECT_EQ(42, AfxWinMain(::GetModuleHandleA(nullptr)));
    EXPECT_EQ((std::vector<std::string>{"init", "exit"}), app.calls);
    EXPECT_EQ(::GetModuleHandleA(nullptr), app.instanceAtInit);
    EXPECT_EQ("win32_tests", app.nameAtInit);
}

TEST(FrameworkAppEntry, InitInstanceReturningTrueRunsTheLoopUntilQuit)
{
    EntryApp app;
    app.initResult = TRUE;
    EXPECT_EQ(42, AfxWinMain(::GetModuleHandleA(nullptr)));
    EXPECT_EQ((std::vector<std::string>{"init", "run", "exit"}), app.calls);
}

}  // namespace
