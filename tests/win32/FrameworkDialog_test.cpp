// Modal dialogs from templates, driven from inside (posted messages), never by a person:
// result codes, showing only after initialisation, data exchange, pre-translation of key
// messages, the owner while the dialog runs, and owner-drawn children.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework_test_resource.h"

namespace {

using Events = std::vector<std::string>;

// The result of a dialog that the safety timer had to end.
constexpr int kTimedOut = 777;
constexpr UINT_PTR kSafetyTimer = 0x5AFE;
constexpr UINT kStep = WM_APP + 1;
constexpr WPARAM kFilteredKey = VK_ESCAPE;

// A child control that filters key messages and notes what reaches it.
class KeyFilterEdit : public CWnd {
public:
    Events* events = nullptr;
    BOOL stopKeys = FALSE;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_KEYDOWN)
            return FALSE;
        events->push_back("edit filter");
        return stopKeys;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYDOWN)
            events->push_back("edit key");
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class RecordingButton : public CButton {
public:
    std::vector<DRAWITEMSTRUCT> draws;
    const DRAWITEMSTRUCT* lastItem = nullptr;

    void DrawItem(DRAWITEMSTRUCT* item) override
    {
        draws.push_back(*item);
        lastItem = item;
    }
};

// A dialog whose tests hook in at the end of the initialisation (`atInit`) and at a step
// posted to itself (`atStep`), which runs after DoModal has shown the window.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(UINT templateId = IDD_FW_PROBE, CWnd* parent = nullptr)
        : CDialog(templateId, parent)
    {
        m_edit.events = &events;
    }

    using CDialog::UpdateData;

    std::function<void(ProbeDialog&)> atInit;
    std::function<void(ProbeDialog&)> atStep;
    Events events;
    HWND window = nullptr;
    BOOL visibleDuringInit = TRUE;
    int showMessages = 0;
    int showPositions = 0;
    int exchanges = 0;

    KeyFilterEdit m_edit;
    CListBox m_list;
    RecordingButton m_drawn;

    void PostStep() { PostMessage(kStep); }

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            events.push_back("dialog filter");
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    BOOL OnInitDialog() override
    {
        window = m_hWnd;
        events.push_back("init");
        const BOOL result = CDialog::OnInitDialog();
        events.push_back("init after base");
        visibleDuringInit = IsWindowVisible();
        SetTimer(kSafetyTimer, 10000);
        if (atInit)
            atInit(*this);
        return result;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        CDialog::DoDataExchange(dx);
        ++exchanges;
        events.push_back(dx->m_bSaveAndValidate ? "exchange save" : "exchange load");
        DDX_Control(dx, IDC_FW_EDIT, m_edit);
        DDX_Control(dx, IDC_FW_LIST, m_list);
        DDX_Control(dx, IDC_FW_DRAWN, m_drawn);
    }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageEntry entries[] = {
            OnMessage<kStep, &ProbeDialog::OnStep>(),
            OnMessage<WM_TIMER, &ProbeDialog::OnTimer>(),
            OnMessage<WM_SHOWWINDOW, &ProbeDialog::OnShowWindow>(),
            OnMessage<WM_WINDOWPOSCHANGED, &ProbeDialog::OnWindowPosChanged>(),
        };
        static const MessageMap map = MakeMessageMap(CDialog::GetThisMessageMap(), entries);
        return &map;
    }

    LRESULT OnStep(WPARAM, LPARAM)
    {
        if (atStep)
            atStep(*this);
        return 0;
    }
    void OnTimer(UINT_PTR id)
    {
        if (id == kSafetyTimer)
            EndDialog(kTimedOut);
        else
            CWnd::OnTimer(id);
    }
    LRESULT OnShowWindow(WPARAM show, LPARAM)
    {
        if (show)
            ++showMessages;
        return Default();
    }
    void OnWindowPosChanged(WINDOWPOS* pos)
    {
        if (pos->flags & SWP_SHOWWINDOW)
            ++showPositions;
        CWnd::OnWindowPosChanged(pos);
    }
};

void PostCommand(CWnd& window, int id)
{
    window.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TEST(FrameworkDialog, OkAndCancelEndTheRunWithTheirResultCodes)
{
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog& d) { PostCommand(d, IDOK); };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_FALSE(::IsWindow(dialog.window));
    EXPECT_EQ(nullptr, dialog.m_hWnd);

    // The same object runs again.
    dialog.atInit = [](ProbeDialog& d) { PostCommand(d, IDCANCEL); };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_FALSE(::IsWindow(dialog.window));
}

TEST(FrameworkDialog, ClosingTheWindowCancels)
{
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog& d) { d.PostMessage(WM_CLOSE); };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(FrameworkDialog, DialogEndedDuringInitialisationIsNeverShown)
{
    for (UINT templateId : {IDD_FW_PROBE, IDD_FW_PROBE_PLAIN, IDD_FW_PROBE_HIDDEN}) {
        SCOPED_TRACE(templateId);
        ProbeDialog dialog(templateId);
        dialog.atInit = [](ProbeDialog& d) { d.EndDialog(IDABORT); };
        EXPECT_EQ(IDABORT, dialog.DoModal());
        EXPECT_FALSE(dialog.visibleDuringInit);
        EXPECT_EQ(0, dialog.showMessages);
        EXPECT_EQ(0, dialog.showPositions);
        EXPECT_FALSE(::IsWindow(dialog.window));
    }
}

// A modal dialog shows once its initialisation is done, whether or not its template asks
// for a visible window (the about box's template does not).
TEST(FrameworkDialog, DialogShowsAfterItsInitialisation)
{
    for (UINT templateId : {IDD_FW_PROBE, IDD_FW_PROBE_PLAIN, IDD_FW_PROBE_HIDDEN}) {
        SCOPED_TRACE(templateId);
        ProbeDialog dialog(templateId);
        BOOL visibleAtStep = FALSE;
        dialog.atInit = [](ProbeDialog& d) { d.PostStep(); };
        dialog.atStep = [&](ProbeDialog& d) {
            visibleAtStep = d.IsWindowVisible();
            d.EndDialog(IDOK);
        };
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_FALSE(dialog.visibleDuringInit);
        EXPECT_TRUE(visibleAtStep);
        EXPECT_GE(dialog.showMessages + dialog.showPositions, 1);
    }
}

TEST(FrameworkDialog, DataExchangeBindsTheControlsDuringInitialisation)
{
    ProbeDialog dialog;
    CWnd* boundEdit = nullptr;
    CWnd* boundList = nullptr;
    CWnd* boundButton = nullptr;
    dialog.atInit = [&](ProbeDialog& d) {
        boundEdit = CWnd::FromHandlePermanent(d.GetDlgItem(IDC_FW_EDIT));
        boundList = CWnd::FromHandlePermanent(d.GetDlgItem(IDC_FW_LIST));
        boundButton = CWnd::FromHandlePermanent(d.GetDlgItem(IDC_FW_DRAWN));
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());

    // The exchange runs inside the base initialisation, loading (not saving).
    EXPECT_EQ((Events{"init", "exchange load", "init after base"}), dialog.events);
    EXPECT_EQ(&dialog.m_edit, boundEdit);
    EXPECT_EQ(&dialog.m_list, boundList);
    EXPECT_EQ(&dialog.m_drawn, boundButton);
    // The controls went with the dialog, and their objects let go of them.
    EXPECT_EQ(nullptr, dialog.m_list.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_edit.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_drawn.m_hWnd);
}

TEST(FrameworkDialog, SecondExchangeLeavesTheBindingAlone)
{
    ProbeDialog dialog;
    CWnd* before = nullptr;
    CWnd* after = nullptr;
    LONG_PTR procBefore = 0;
    LONG_PTR procAfter = 0;
    dialog.atInit = [&](ProbeDialog& d) {
        HWND list = d.GetDlgItem(IDC_FW_LIST);
        before = CWnd::FromHandlePermanent(list);
        procBefore = ::GetWindowLongPtrA(list, GWLP_WNDPROC);
        d.UpdateData(TRUE);
        after = CWnd::FromHandlePermanent(list);
        procAfter = ::GetWindowLongPtrA(list, GWLP_WNDPROC);
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(2, dialog.exchanges);
    EXPECT_EQ(&dialog.m_list, before);
    EXPECT_EQ(&dialog.m_list, after);
    EXPECT_EQ(procBefore, procAfter);
}

TEST(FrameworkDialog, KeyMessageIsOfferedToTheChildControlFirstThenTheDialog)
{
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog& d) {
        d.m_edit.PostMessage(WM_KEYDOWN, 'Q', 1);
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((Events{"init", "exchange load", "init after base", "edit filter", "dialog filter",
                      "edit key"}),
              dialog.events);
}

TEST(FrameworkDialog, ChildFilterThatTakesTheKeyStopsItsDispatch)
{
    ProbeDialog dialog;
    dialog.m_edit.stopKeys = TRUE;
    dialog.atInit = [](ProbeDialog& d) {
        // Escape would end the dialog with IDCANCEL had it got any further.
        d.m_edit.PostMessage(WM_KEYDOWN, kFilteredKey, 1);
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((Events{"init", "exchange load", "init after base", "edit filter"}), dialog.events);
}

TEST(FrameworkDialog, EscapeAndReturnReachTheDialogKeys)
{
    ProbeDialog escape;
    escape.atInit = [](ProbeDialog& d) { d.m_edit.PostMessage(WM_KEYDOWN, VK_ESCAPE, 1); };
    EXPECT_EQ(IDCANCEL, escape.DoModal());

    ProbeDialog enter;
    enter.atInit = [](ProbeDialog& d) { d.m_edit.PostMessage(WM_KEYDOWN, VK_RETURN, 1); };
    EXPECT_EQ(IDOK, enter.DoModal());
}

TEST(FrameworkDialog, OwnerDrawnButtonDrawsItselfThroughItsObject)
{
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog& d) { d.PostStep(); };
    LRESULT synthetic = 0;
    DRAWITEMSTRUCT item{};
    bool sameItem = false;
    dialog.atStep = [&](ProbeDialog& d) {
        ::RedrawWindow(d.m_drawn.m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_FW_DRAWN;
        item.itemAction = ODA_FOCUS;
        item.hwndItem = d.m_drawn.m_hWnd;
        synthetic = d.SendMessage(WM_DRAWITEM, IDC_FW_DRAWN, reinterpret_cast<LPARAM>(&item));
        sameItem = d.m_drawn.lastItem == &item;
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    ASSERT_GE(dialog.m_drawn.draws.size(), 2u);
    const DRAWITEMSTRUCT& painted = dialog.m_drawn.draws.front();
    EXPECT_EQ(static_cast<UINT>(IDC_FW_DRAWN), painted.CtlID);
    EXPECT_EQ(static_cast<UINT>(ODT_BUTTON), painted.CtlType);
    EXPECT_NE(nullptr, painted.hDC);
    EXPECT_TRUE(sameItem);
    EXPECT_EQ(TRUE, synthetic);
}

TEST(FrameworkDialog, MissingTemplateFailsWithoutTouchingTheOwner)
{
    CWinApp app("FrameworkTests");
    fwtest::ScopedWindow mainWindow(fwtest::CreateRecordingWindow(nullptr));
    CWnd main;
    ASSERT_TRUE(main.SubclassWindow(mainWindow.get()));
    app.m_pMainWnd = &main;

    ProbeDialog dialog(IDD_FW_MISSING);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_TRUE(::IsWindowEnabled(mainWindow.get()));
    app.m_pMainWnd = nullptr;
}

TEST(FrameworkDialog, QuitRequestEndsTheRunAndIsLeftForTheOuterLoop)
{
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog&) { ::PostQuitMessage(3); };
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_FALSE(::IsWindow(dialog.window));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

// Owners: a dialog without a parent is owned by the application's main window.
class FrameworkDialogOwner : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, mainWindow.get());
        ASSERT_TRUE(main.SubclassWindow(mainWindow.get()));
        app.m_pMainWnd = &main;
    }
    void TearDown() override { app.m_pMainWnd = nullptr; }

    CWinApp app{"FrameworkTests"};
    // Hidden unless a test needs more: under Wine without a window manager every window
    // that was shown active costs seconds when it goes.
    fwtest::ScopedWindow mainWindow{fwtest::CreateRecordingWindow(nullptr)};
    CWnd main;
};

TEST_F(FrameworkDialogOwner, MainWindowOwnsTheDialogAndIsDisabledOnlyWhileItRuns)
{
    ProbeDialog dialog;
    HWND owner = nullptr;
    BOOL enabledDuringRun = TRUE;
    dialog.atInit = [&](ProbeDialog& d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        enabledDuringRun = ::IsWindowEnabled(mainWindow.get());
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(mainWindow.get(), owner);
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_TRUE(::IsWindowEnabled(mainWindow.get()));
}

TEST_F(FrameworkDialogOwner, OwnerDisabledBeforeTheRunStaysDisabled)
{
    ::EnableWindow(mainWindow.get(), FALSE);
    ProbeDialog dialog;
    dialog.atInit = [](ProbeDialog& d) { PostCommand(d, IDOK); };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_FALSE(::IsWindowEnabled(mainWindow.get()));
}

TEST_F(FrameworkDialogOwner, ExplicitParentIsTheOwnerInstead)
{
    fwtest::ScopedWindow parentWindow(fwtest::CreateRecordingWindow(nullptr));
    CWnd parent;
    ASSERT_TRUE(parent.SubclassWindow(parentWindow.get()));
    ProbeDialog dialog(IDD_FW_PROBE, &parent);
    HWND owner = nullptr;
    BOOL mainEnabled = FALSE;
    BOOL parentEnabled = TRUE;
    dialog.atInit = [&](ProbeDialog& d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        mainEnabled = ::IsWindowEnabled(mainWindow.get());
        parentEnabled = ::IsWindowEnabled(parentWindow.get());
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(parentWindow.get(), owner);
    EXPECT_TRUE(mainEnabled);
    EXPECT_FALSE(parentEnabled);
    EXPECT_TRUE(::IsWindowEnabled(parentWindow.get()));
}

TEST_F(FrameworkDialogOwner, OwnerIsActiveAgainWhenTheRunEnds)
{
    ::ShowWindow(mainWindow.get(), SW_SHOW);
    ::SetActiveWindow(mainWindow.get());
    ASSERT_EQ(mainWindow.get(), ::GetActiveWindow());
    ProbeDialog dialog;
    HWND activeDuringRun = nullptr;
    dialog.atInit = [](ProbeDialog& d) { d.PostStep(); };
    dialog.atStep = [&](ProbeDialog& d) {
        activeDuringRun = ::GetActiveWindow();
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(dialog.window, activeDuringRun);
    EXPECT_EQ(mainWindow.get(), ::GetActiveWindow());
}

// The program's main window is itself a modal dialog and the application's main window;
// the about box runs from one of its handlers, without a parent and from a template that
// is not visible by itself.
TEST_F(FrameworkDialogOwner, DialogThatIsTheMainWindowRunsAnotherOwnedByItself)
{
    ProbeDialog mainDialog;
    app.m_pMainWnd = &mainDialog;
    HWND mainOwner = reinterpret_cast<HWND>(1);
    HWND aboutOwner = nullptr;
    BOOL mainEnabledDuringAbout = TRUE;
    BOOL aboutVisible = FALSE;
    INT_PTR aboutResult = 0;
    BOOL mainEnabledAfterAbout = FALSE;
    mainDialog.atInit = [&](ProbeDialog& d) {
        mainOwner = ::GetWindow(d.m_hWnd, GW_OWNER);
        d.PostStep();
    };
    mainDialog.atStep = [&](ProbeDialog& d) {
        ProbeDialog about(IDD_FW_PROBE_HIDDEN);
        about.atInit = [](ProbeDialog& a) { a.PostStep(); };
        about.atStep = [&](ProbeDialog& a) {
            aboutOwner = ::GetWindow(a.m_hWnd, GW_OWNER);
            mainEnabledDuringAbout = ::IsWindowEnabled(d.m_hWnd);
            aboutVisible = a.IsWindowVisible();
            a.PostMessage(WM_CLOSE);
        };
        aboutResult = about.DoModal();
        mainEnabledAfterAbout = ::IsWindowEnabled(d.m_hWnd);
        PostCommand(d, IDOK);
    };
    ASSERT_EQ(IDOK, mainDialog.DoModal());
    EXPECT_EQ(nullptr, mainOwner);
    EXPECT_EQ(IDCANCEL, aboutResult);
    EXPECT_EQ(mainDialog.window, aboutOwner);
    EXPECT_FALSE(mainEnabledDuringAbout);
    EXPECT_TRUE(aboutVisible);
    EXPECT_TRUE(mainEnabledAfterAbout);
}

}  // namespace
