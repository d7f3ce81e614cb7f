// Message tables: rows reach their handlers with the parameters cracked, WM_COMMAND rows
// match on control id and notification code together, derived tables fall back to their
// base, and what no row takes (or a handler passes on) reaches the window's own procedure.

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "framework/Wnd.h"

namespace {

using fwtest::OwnProcLog;

constexpr UINT kListId = 931;
constexpr UINT kButtonId = 932;
constexpr UINT kRawMessage = WM_APP + 7;
constexpr UINT kNestedMessage = WM_APP + 8;
constexpr UINT_PTR kNestingTimer = 99;

class TableWindow : public CWnd {
public:
    UINT sizeType = ~0u;
    int width = -1;
    int height = -1;
    int sizes = 0;
    std::vector<UINT_PTR> timers;
    UINT sysCommand = 0;
    LPARAM sysParameter = 0;
    UINT sizingEdge = 0;
    WINDOWPOS lastPos{};
    int positionChanges = 0;
    bool passPositionOn = false;
    bool passTimerOn = false;
    POINT buttonDown{};
    UINT buttonFlags = 0;
    POINT mouseAt{};
    int closes = 0;
    int selectionChanges = 0;
    int clicks = 0;
    HCURSOR dragIcon = nullptr;
    WPARAM rawWParam = 0;
    LPARAM rawLParam = 0;
    bool destroyedUnbound = false;
    int ncDestroys = 0;

protected:
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageEntry entries[] = {
            OnMessage<WM_SIZE, &TableWindow::OnSize>(),
            OnMessage<WM_TIMER, &TableWindow::OnTimer>(),
            OnMessage<WM_SYSCOMMAND, &TableWindow::OnSysCommand>(),
            OnMessage<WM_SIZING, &TableWindow::OnSizing>(),
            OnMessage<WM_WINDOWPOSCHANGED, &TableWindow::OnWindowPosChanged>(),
            OnMessage<WM_LBUTTONDOWN, &TableWindow::OnLButtonDown>(),
            OnMessage<WM_MOUSEMOVE, &TableWindow::OnMouseMove>(),
            OnMessage<WM_CLOSE, &TableWindow::OnClose>(),
            OnMessage<WM_QUERYDRAGICON, &TableWindow::OnQueryDragIcon>(),
            OnMessage<kRawMessage, &TableWindow::OnRaw>(),
            OnMessage<kNestedMessage, &TableWindow::OnNested>(),
            OnCommand<kListId, LBN_SELCHANGE, &TableWindow::OnSelectionChange>(),
            OnCommand<kButtonId, BN_CLICKED, &TableWindow::OnClicked>(),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetThisMessageMap(), entries);
        return &map;
    }

    void OnSize(UINT type, int cx, int cy)
    {
        sizeType = type;
        width = cx;
        height = cy;
        ++sizes;
    }
    void OnTimer(UINT_PTR id)
    {
        timers.push_back(id);
        // A message handled in between must not change what Default() passes on.
        if (id == kNestingTimer)
            SendMessage(kNestedMessage);
        if (passTimerOn)
            CWnd::OnTimer(id);
    }
    void OnSysCommand(UINT id, LPARAM parameter)
    {
        sysCommand = id;
        sysParameter = parameter;
    }
    void OnSizing(UINT edge, RECT* rect)
    {
        sizingEdge = edge;
        rect->right = rect->left + 123;
    }
    void OnWindowPosChanged(WINDOWPOS* pos)
    {
        lastPos = *pos;
        ++positionChanges;
        if (passPositionOn)
            CWnd::OnWindowPosChanged(pos);
    }
    void OnLButtonDown(UINT flags, POINT point)
    {
        buttonFlags = flags;
        buttonDown = point;
    }
    void OnMouseMove(UINT, POINT point) { mouseAt = point; }
    void OnClose() { ++closes; }
    HCURSOR OnQueryDragIcon() { return dragIcon; }
    LRESULT OnRaw(WPARAM wParam, LPARAM lParam)
    {
        rawWParam = wParam;
        rawLParam = lParam;
        return 4242;
    }
    LRESULT OnNested(WPARAM, LPARAM) { return 0; }
    void OnSelectionChange() { ++selectionChanges; }
    void OnClicked() { ++clicks; }

    void PostNcDestroy() override
    {
        ++ncDestroys;
        destroyedUnbound = m_hWnd == nullptr;
    }
};

// Overrides the timer row of its base and keeps the others.
class DerivedTableWindow : public TableWindow {
public:
    std::vector<UINT_PTR> derivedTimers;

protected:
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageEntry entries[] = {
            OnMessage<WM_TIMER, &DerivedTableWindow::OnDerivedTimer>(),
        };
        static const MessageMap map = MakeMessageMap(TableWindow::GetThisMessageMap(), entries);
        return &map;
    }
    void OnDerivedTimer(UINT_PTR id) { derivedTimers.push_back(id); }
};

class FrameworkMessageMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        hWnd = fwtest::CreateRecordingWindow(&own);
        ASSERT_NE(nullptr, hWnd);
        ASSERT_TRUE(window.SubclassWindow(hWnd));
        own.messages.clear();
    }
    void TearDown() override
    {
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    }

    OwnProcLog own;
    HWND hWnd = nullptr;
    TableWindow window;
};

TEST_F(FrameworkMessageMap, SizeRowGetsTypeWidthAndHeight)
{
    window.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(40000, 300));
    EXPECT_EQ(static_cast<UINT>(SIZE_MAXIMIZED), window.sizeType);
    EXPECT_EQ(40000, window.width);  // the 16-bit halves are unsigned
    EXPECT_EQ(300, window.height);
    EXPECT_EQ(0, own.Count(WM_SIZE));  // handled: the own procedure never sees it
}

TEST_F(FrameworkMessageMap, TimerRowGetsTheIdOfARealTimer)
{
    window.SetTimer(7, 1);
    ASSERT_TRUE(fwtest::PumpUntil([&] { return !window.timers.empty(); }));
    window.KillTimer(7);
    EXPECT_EQ(7u, window.timers.front());
}

TEST_F(FrameworkMessageMap, SysCommandRowGetsIdAndParameter)
{
    window.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, MAKELPARAM(3, 4));
    EXPECT_EQ(static_cast<UINT>(SC_MINIMIZE), window.sysCommand);
    EXPECT_EQ(MAKELPARAM(3, 4), window.sysParameter);
    EXPECT_FALSE(::IsIconic(hWnd));  // not passed on, so nothing minimised the window
}

TEST_F(FrameworkMessageMap, SizingRectChangedByTheHandlerIsSeenByTheSender)
{
    RECT rect{10, 20, 50, 60};
    const LRESULT result =
        window.SendMessage(WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(TRUE, result);
    EXPECT_EQ(static_cast<UINT>(WMSZ_RIGHT), window.sizingEdge);
    EXPECT_EQ(133, rect.right);
    EXPECT_EQ(10, rect.left);
}

TEST_F(FrameworkMessageMap, WindowPosChangedRowGetsTheNewPlacement)
{
    ::SetWindowPos(hWnd, nullptr, 15, 25, 210, 110, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_GE(window.positionChanges, 1);
    EXPECT_EQ(hWnd, window.lastPos.hwnd);
    EXPECT_EQ(15, window.lastPos.x);
    EXPECT_EQ(25, window.lastPos.y);
    EXPECT_EQ(210, window.lastPos.cx);
    EXPECT_EQ(110, window.lastPos.cy);
    // Not passed on: the default handling that turns it into WM_SIZE never ran.
    EXPECT_EQ(0, window.sizes);
}

TEST_F(FrameworkMessageMap, HandlerCallingTheBaseHandlerPassesTheMessageOn)
{
    window.passPositionOn = true;
    ::SetWindowPos(hWnd, nullptr, 0, 0, 210, 110, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(1, own.Count(WM_WINDOWPOSCHANGED));
    // The default handling of WM_WINDOWPOSCHANGED sends WM_SIZE, which comes back to the row.
    EXPECT_GE(window.sizes, 1);
    EXPECT_EQ(210, window.width);
    EXPECT_EQ(110, window.height);
}

TEST_F(FrameworkMessageMap, DefaultPassesOnTheHandlersOwnMessageAfterANestedOne)
{
    window.passTimerOn = true;
    window.SendMessage(WM_TIMER, kNestingTimer, 0);
    ASSERT_EQ(1, own.Count(WM_TIMER));
    EXPECT_EQ(kNestingTimer, own.Last(WM_TIMER)->wParam);
    EXPECT_EQ(0, own.Count(kNestedMessage));
}

TEST_F(FrameworkMessageMap, MouseRowsGetSignedClientCoordinates)
{
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 300));
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON | MK_SHIFT), window.buttonFlags);
    EXPECT_EQ(-5, window.buttonDown.x);
    EXPECT_EQ(300, window.buttonDown.y);
    window.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(12, -1));
    EXPECT_EQ(12, window.mouseAt.x);
    EXPECT_EQ(-1, window.mouseAt.y);
}

TEST_F(FrameworkMessageMap, RowsWithoutArgumentsAndWithResults)
{
    window.SendMessage(WM_CLOSE);
    EXPECT_EQ(1, window.closes);
    EXPECT_TRUE(::IsWindow(hWnd));  // the default handling would have destroyed it

    window.dragIcon = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /*IDC_ARROW*/);
    EXPECT_EQ(reinterpret_cast<LRESULT>(window.dragIcon), window.SendMessage(WM_QUERYDRAGICON));

    EXPECT_EQ(4242, window.SendMessage(kRawMessage, 11, 22));
    EXPECT_EQ(11u, window.rawWParam);
    EXPECT_EQ(22, window.rawLParam);
}

TEST_F(FrameworkMessageMap, CommandRowsMatchOnlyOnBothIdAndCode)
{
    const LPARAM fromControl = reinterpret_cast<LPARAM>(hWnd);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), fromControl);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kListId, BN_CLICKED), fromControl);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, LBN_SELCHANGE), fromControl);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId + 1, BN_CLICKED), fromControl);
    EXPECT_EQ(0, window.selectionChanges);
    EXPECT_EQ(0, window.clicks);
    EXPECT_EQ(4, own.Count(WM_COMMAND));  // none matched: all went on

    window.SendMessage(WM_COMMAND, MAKEWPARAM(kListId, LBN_SELCHANGE), fromControl);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED), fromControl);
    EXPECT_EQ(1, window.selectionChanges);
    EXPECT_EQ(1, window.clicks);
    EXPECT_EQ(4, own.Count(WM_COMMAND));
}

TEST_F(FrameworkMessageMap, MessageWithoutARowReachesTheOwnProcedure)
{
    EXPECT_EQ(fwtest::kOwnProcAnswer, window.SendMessage(fwtest::kOwnProcQuestion, 5, 6));
    const MSG* seen = own.Last(fwtest::kOwnProcQuestion);
    ASSERT_NE(nullptr, seen);
    EXPECT_EQ(5u, seen->wParam);
    EXPECT_EQ(6, seen->lParam);
}

TEST(FrameworkMessageMapInheritance, DerivedRowOverridesTheBaseAndTheBaseFillsIn)
{
    OwnProcLog own;
    fwtest::ScopedWindow hWnd(fwtest::CreateRecordingWindow(&own));
    DerivedTableWindow window;
    ASSERT_TRUE(window.SubclassWindow(hWnd.get()));

    window.SendMessage(WM_TIMER, 3, 0);
    EXPECT_EQ(std::vector<UINT_PTR>{3}, window.derivedTimers);
    EXPECT_TRUE(window.timers.empty());

    window.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(77, 88));
    EXPECT_EQ(77, window.width);
    EXPECT_EQ(88, window.height);

    window.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED), 1);
    EXPECT_EQ(1, window.clicks);
}

TEST(FrameworkBinding, AWindowBindsToOneObjectAndUnbindsCleanly)
{
    OwnProcLog own;
    fwtest::ScopedWindow hWnd(fwtest::CreateRecordingWindow(&own));
    const LONG_PTR ownProc = ::GetWindowLongPtrA(hWnd.get(), GWLP_WNDPROC);
    TableWindow first;
    TableWindow second;
    ASSERT_TRUE(first.SubclassWindow(hWnd.get()));
    EXPECT_FALSE(second.SubclassWindow(hWnd.get()));
    EXPECT_FALSE(first.SubclassWindow(hWnd.get()));
    EXPECT_EQ(&first, CWnd::FromHandlePermanent(hWnd.get()));
    EXPECT_EQ(nullptr, second.m_hWnd);

    EXPECT_EQ(hWnd.get(), first.UnsubclassWindow());
    EXPECT_EQ(nullptr, first.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd.get()));
    EXPECT_EQ(ownProc, ::GetWindowLongPtrA(hWnd.get(), GWLP_WNDPROC));
    ::SendMessageA(hWnd.get(), WM_SIZE, 0, MAKELPARAM(1, 2));
    EXPECT_EQ(0, first.sizes);
    EXPECT_EQ(1, own.Count(WM_SIZE));
}

TEST(FrameworkBinding, DestroyedWindowUnbindsBeforePostNcDestroy)
{
    OwnProcLog own;
    HWND hWnd = fwtest::CreateRecordingWindow(&own);
    TableWindow window;
    ASSERT_TRUE(window.SubclassWindow(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_EQ(1, window.ncDestroys);
    EXPECT_TRUE(window.destroyedUnbound);
    EXPECT_EQ(nullptr, window.m_hWnd);
    EXPECT_EQ(1, own.Count(WM_NCDESTROY));  // the window's own clean-up still ran
}

TEST(FrameworkBinding, ObjectGoingAwayDestroysItsWindow)
{
    HWND hWnd = fwtest::CreateRecordingWindow(nullptr);
    {
        TableWindow window;
        ASSERT_TRUE(window.SubclassWindow(hWnd));
    }
    EXPECT_FALSE(::IsWindow(hWnd));
}

}  // namespace
