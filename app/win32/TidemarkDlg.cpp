#include "app/win32/TidemarkDlg.h"

#include "app/InstanceNames.h"
#include "app/WindowLayout.h"
#include "app/win32/RunningInstance.h"
#include "controls/DisplayScale.h"
#include "controls/win32/HighContrast.h"
#include "framework/WinApp.h"
#include "framework/WindowDpi.h"
#include "info/win32/AboutDlg.h"
#include "info/win32/HomepageLink.h"
#include "info/win32/VersionInfo.h"
#include "net/LineProtocol.h"
#include "net/Listener.h"
#include "net/win32/WinsockApi.h"
#include "res/resource.h"

namespace {

// Numbers from here on are registered by name at run time (RegisterWindowMessage).
constexpr UINT kFirstRegisteredMessage = 0xC000;

UINT TaskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The notification-area icon and the message its clicks arrive with.
constexpr UINT kTrayIconId = IDI_TIDEMARK;
constexpr UINT WM_TRAY_NOTIFY = WM_USER;
// An icon the shell refused is offered again at this interval until the shell takes it.
constexpr UINT kTrayRetryInterval = 5000;

const COLORREF kFrameBlue = 0x00FF0000;
const COLORREF kFrameRed = 0x000000FF;
const int kFrameWidth = 3;

void FillStrip(HDC dc, int x, int y, int width, int height, COLORREF colour)
{
    const RECT strip{x, y, x + width, y + height};
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &strip, brush);
    ::DeleteObject(brush);
}

// The system menu's entry for the about box, below a separator; a window without a
// system menu, or a program without the entry's text, gets neither.
void AppendAboutBoxEntry(HMENU systemMenu)
{
    if (systemMenu == nullptr)
        return;
    char text[256] = {};
    if (::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, text, sizeof text) <= 0)
        return;
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

}  // namespace

CTidemarkDlg::CTidemarkDlg() : CDialog(IDD_TIDEMARK_DIALOG, nullptr)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDI_TIDEMARK);
    m_hLinkCursor = AfxGetApp()->LoadCursor(IDC_LINK_CURSOR);
    m_minTrackSize = SIZE{313, 51};
    m_initialClientSize = SIZE{360, 75};
}

const MessageMap* CTidemarkDlg::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage<WM_SYSCOMMAND, &CTidemarkDlg::OnSysCommand>(),
        OnMessage<WM_PAINT, &CTidemarkDlg::OnPaint>(),
        OnMessage<WM_QUERYDRAGICON, &CTidemarkDlg::OnQueryDragIcon>(),
        OnCommand<IDC_MESSAGE_LIST, LBN_SELCHANGE, &CTidemarkDlg::OnSelChangeMessageList>(),
        OnCommand<IDC_CLEAR_LIST, BN_CLICKED, &CTidemarkDlg::ClearList>(),
        OnCommand<IDCANCEL, BN_CLICKED, &CTidemarkDlg::OnCancel>(),
        OnCommand<IDOK, BN_CLICKED, &CTidemarkDlg::OnOK>(),
        OnMessage<WM_CLOSE, &CTidemarkDlg::OnClose>(),
        OnMessage<WM_TIMER, &CTidemarkDlg::OnTimer>(),
        OnMessage<WM_TRAY_NOTIFY, &CTidemarkDlg::OnTrayNotify>(),
        OnCommand<IDC_HIDE, BN_CLICKED, &CTidemarkDlg::OnHide>(),
        OnCommand<IDC_EXIT, BN_CLICKED, &CTidemarkDlg::OnExit>(),
        OnCommand<IDC_HOMEPAGE_LINK, BN_CLICKED, &CTidemarkDlg::OnHomepage>(),
        OnMessage<WM_WINDOWPOSCHANGED, &CTidemarkDlg::OnWindowPosChanged>(),
        OnMessage<WM_SIZE, &CTidemarkDlg::OnSize>(),
        OnMessage<WM_SIZING, &CTidemarkDlg::OnSizing>(),
        OnMessage<WM_DPICHANGED, &CTidemarkDlg::OnDpiChanged>(),
        OnMessage<WM_DESTROY, &CTidemarkDlg::OnDestroy>(),
        OnMessage<WM_QUERYENDSESSION, &CTidemarkDlg::OnQueryEndSession>(),
        OnMessage<WM_ACTIVATE, &CTidemarkDlg::OnActivate>(),
        OnMessage<WM_SYSCOLORCHANGE, &CTidemarkDlg::OnSysColorChange>(),
        OnMessage<WM_SETTINGCHANGE, &CTidemarkDlg::OnSettingChange>(),
        OnMessage<WM_ENDSESSION, &CTidemarkDlg::OnEndSession>(),
    };
    static const MessageMap map = MakeMessageMap(CDialog::GetThisMessageMap(), entries);
    return &map;
}

void CTidemarkDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MESSAGE_LIST, m_messageList);
    DDX_Control(dx, IDC_CLEAR_LIST, m_clearButton);
    DDX_Control(dx, IDC_EXIT, m_exitButton);
    DDX_Control(dx, IDC_VERSION_LABEL, m_versionLabel);
    DDX_Control(dx, IDC_HOMEPAGE_LINK, m_homepageLink);
    DDX_Control(dx, IDC_HIDE, m_hideButton);
}

BOOL CTidemarkDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    AppendAboutBoxEntry(GetSystemMenu(FALSE));

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (m_singleInstance.RefusedFor(kSingleInstanceMutex)) {
        AfxMessageBox("You can run Tidemark Software only one time!", MB_OK);
        // Starting the program again is a way to see its list.
        RunningInstance::AskToShow();
        OnCancel();
        return FALSE;
    }
    RunningInstance::Mark(m_hWnd);
    SetUpAccessibility();

    m_bExitRequested = false;

    KeepTrayIconShown(
        m_trayIcon.Add(m_hWnd, kTrayIconId, m_hIcon, WM_TRAY_NOTIFY, GetProductName()));
    SetUpHomepageLink(m_homepageLink, m_hLinkCursor);

    m_versionLabel.SetWindowText(("Ver. " + GetVersionString()).c_str());

    m_hideTimerElapse = 12000;
    m_hideTimerId = kHideTimerId;
    m_bOpenedByUser = false;
    m_listener.m_listenSocket = 0;
    m_listener.m_port = kTidemarkPort;
    m_listener.m_pListenerThread = nullptr;
    m_listener.m_bRun = false;
    m_listener.m_bListenerEnded = true;

    SetWindowText("Tidemark");

    // Give the client area its initial size, keeping the top-left corner. The sizes are
    // designed for 96 dots per inch and scale with the window's.
    const int dpi = GetWindowDpi(m_hWnd);
    m_minTrackSize = SIZE{ScaleToDpi(m_minTrackSize.cx, dpi), ScaleToDpi(m_minTrackSize.cy, dpi)};
    RECT client;
    GetClientRect(&client);
    POINT origin{client.left, client.top};
    ::ClientToScreen(m_hWnd, &origin);
    RECT placement{origin.x, origin.y, origin.x + ScaleToDpi(m_initialClientSize.cx, dpi),
                   origin.y + ScaleToDpi(m_initialClientSize.cy, dpi)};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&placement, style, FALSE, exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE));
    MoveWindow(placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top, TRUE);

    // A listener whose lines could not reach the list would receive for nobody.
    if (m_listOutput.Open() && m_listener.Start(&ListenerThreadProc, this))
        m_listOutput.AddLine("Socketthread starting ...");
    else
        m_listOutput.AddLine("Can't starting Socketthread !!");
    return TRUE;
}

UINT ListenerThreadProc(LPVOID window)
{
    if (window != nullptr)
        static_cast<CTidemarkDlg*>(window)->RunListener();
    return 0;
}

void CTidemarkDlg::RunListener()
{
    {
        WinsockApi sockets;
        Listener listener(sockets, m_listOutput, m_listener.Fields());
        listener.Run();
    }
    AfxEndThread(0);
}

// Runs on the window's own thread, where every list change is carried out. A line from
// the network shows the window on top without activating it: the keyboard stays with the
// program the user is typing in. A hidden window's thread may still count it as its
// active window (Wine keeps that after another program took the foreground, and then
// hands the window the keyboard again when it reappears): it lets go of that first. A
// window already shown is left as it is (showing it again would only restack it, at the
// cost of a repaint per line under Wine). The hide period starts anew with every line; the
// timer itself is only set when it does not run (see OnHideTimer).
void CTidemarkDlg::PopUp()
{
    if (!IsWindowVisible()) {
        if (::GetActiveWindow() == m_hWnd && ::GetForegroundWindow() != m_hWnd)
            ::SetActiveWindow(nullptr);
        ShowWindow(SW_SHOWNA);
    }
    RestartHidePeriod();
}

void CTidemarkDlg::RestartHidePeriod()
{
    m_lastPopUp = ::GetTickCount();
    if (!m_bHideTimerRunning) {
        SetTimer(m_hideTimerId, m_hideTimerElapse);
        m_bHideTimerRunning = true;
    }
}

// After every change of the list, on the window's thread: a screen reader is told of a
// line once it is whole.
void CTidemarkDlg::OnListChanged()
{
    PopUp();
    m_liveRegion.TopLineChanged(!m_listener.IsReadingLine());
}

// The window pops up without taking the keyboard, so a screen reader would not notice a
// new line: the list is a polite live region, told of each change. "X" is read as "Hide":
// where the system keeps no name apart from the text, the button's text is the name and
// it shows "X" all the same.
void CTidemarkDlg::SetUpAccessibility()
{
    const HWND list = m_messageList.m_hWnd;
    m_liveRegion.Attach(list);
    m_annotations.Open();
    m_annotations.MarkPoliteLiveRegion(list, CHILDID_SELF);
    m_annotations.MarkPoliteLiveRegion(list, CLiveRegionAnnouncer::kTopItem);
    m_annotations.SetName(list, L"Received lines");
    if (!m_annotations.SetName(m_hideButton.m_hWnd, L"Hide"))
        m_hideButton.ShowTextAsSign("Hide");
    m_bHighContrast = IsHighContrastOn();
}

// Setting the timer again for every line would cost a call into the system per line (a
// Wine server request): a tick that comes before the period after the last line is over
// waits for the rest of it instead. The window hides a period after its last line, and
// while the user has it open or works in it the timer ticks on every period without
// hiding it.
void CTidemarkDlg::OnHideTimer()
{
    const DWORD sinceLastPopUp = ::GetTickCount() - m_lastPopUp;
    if (sinceLastPopUp < m_hideTimerElapse) {
        SetTimer(m_hideTimerId, m_hideTimerElapse - sinceLastPopUp);
    } else if (m_bOpenedByUser || ::GetForegroundWindow() == m_hWnd) {
        SetTimer(m_hideTimerId, m_hideTimerElapse);
    } else {
        ShowWindow(SW_HIDE);
        KillTimer(m_hideTimerId);
        m_bHideTimerRunning = false;
    }
}

void CTidemarkDlg::OnTimer(UINT_PTR id)
{
    if (id == m_hideTimerId) {
        OnHideTimer();
    } else if (id == kListRepaintTimerId) {
        m_listOutput.RepaintHeldList();
    } else if (id == kAnnounceTimerId) {
        m_liveRegion.OnIntervalEnd();
    } else if (id == kTrayRetryTimerId) {
        KeepTrayIconShown(m_trayIcon.AddAgain());
    }
    CDialog::OnTimer(id);
}

LRESULT CTidemarkDlg::OnTrayNotify(WPARAM, LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDOWN) {
        ShowWindow(SW_SHOW);
        m_bOpenedByUser = true;
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        ShowWindow(SW_HIDE);
        m_bOpenedByUser = false;
    }
    return 0;
}

// The shell was rebuilt and has forgotten every icon; the same message also tells a
// program started before the taskbar that the notification area is there now.
void CTidemarkDlg::OnTaskbarCreated()
{
    if (!m_bStopped)
        KeepTrayIconShown(m_trayIcon.AddAgain());
}

void CTidemarkDlg::KeepTrayIconShown(bool shown)
{
    if (shown)
        KillTimer(kTrayRetryTimerId);
    else
        SetTimer(kTrayRetryTimerId, kTrayRetryInterval);
}

// Another start of the program was refused: the user wants to see the list, as a click on
// the icon shows it.
void CTidemarkDlg::OnShowRequest()
{
    OnTrayNotify(kTrayIconId, WM_LBUTTONDOWN);
    ::SetForegroundWindow(m_hWnd);
}

// Windows asks whether the session may end; the answer is always yes.
LRESULT CTidemarkDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    return TRUE;
}

// Log-off, shutdown, or an installer replacing the program's files: the process may be
// ended at any moment after this, so the orderly stop runs now.
LRESULT CTidemarkDlg::OnEndSession(WPARAM ending, LPARAM)
{
    if (ending)
        OnExit();
    return 0;
}

// The messages whose numbers are registered at run time: the shell's, and those of other
// starts of the program.
LRESULT CTidemarkDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= kFirstRegisteredMessage) {
        if (message == TaskbarCreatedMessage()) {
            OnTaskbarCreated();
            return 0;
        }
        if (message == RunningInstance::ShowRequest()) {
            OnShowRequest();
            return 0;
        }
        // "/exit" from a script or an installer.
        if (message == RunningInstance::ExitRequest()) {
            OnExit();
            return 0;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CTidemarkDlg::OnHide()
{
    ShowWindow(SW_HIDE);
    m_bOpenedByUser = false;
}

// The user has left the window: its hide period starts now, as after a line.
LRESULT CTidemarkDlg::OnActivate(WPARAM state, LPARAM)
{
    if (LOWORD(state) == WA_INACTIVE && IsWindowVisible())
        RestartHidePeriod();
    return Default();
}

LRESULT CTidemarkDlg::OnSysColorChange(WPARAM wParam, LPARAM lParam)
{
    FollowSystemColours(WM_SYSCOLORCHANGE, wParam, lParam);
    return Default();
}

LRESULT CTidemarkDlg::OnSettingChange(WPARAM wParam, LPARAM lParam)
{
    FollowSystemColours(WM_SETTINGCHANGE, wParam, lParam);
    return Default();
}

// High contrast switched, or the colour scheme changed: only the window hears of it, and
// tells its controls.
void CTidemarkDlg::FollowSystemColours(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_bHighContrast = IsHighContrastOn();
    SendMessageToDescendants(message, wParam, lParam);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Enter and Escape never reach the dialog's own keyboard handling, which would press the
// default button or end the dialog: Enter goes to the focused control as a plain key (in
// the list it opens the chosen line), Escape hides the window.
BOOL CTidemarkDlg::PreTranslateMessage(MSG* msg)
{
    m_bListKey = (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
                 msg->hwnd == m_messageList.m_hWnd;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        if (m_bListKey)
            ShowChosenLine();
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        OnHide();
        return FALSE;
    }
    return CDialog::PreTranslateMessage(msg);
}

// Whatever box or menu the user has open: ending the window ends them too.
void CTidemarkDlg::OnExit()
{
    m_bExitRequested = true;
    SendMessage(WM_CLOSE);
}

// Closing only hides the window; after "exit" it stops the listener in order and ends
// the program.
void CTidemarkDlg::OnClose()
{
    if (!m_bExitRequested) {
        ShowWindow(SW_HIDE);
        m_bOpenedByUser = false;
        return;
    }
    StopInOrder();
    CDialog::OnClose();
}

// Every other end of the modal run (a cancel or OK command from outside, a quit request)
// passes here while the window and its controls still exist.
void CTidemarkDlg::OnDestroy()
{
    StopInOrder();
    RunningInstance::Unmark(m_hWnd);
    CDialog::OnDestroy();
}

// The listener goes before the window does: it is stopped, and waited for while the
// window keeps answering; the sockets library goes only after it. Then the icon and the
// single-instance guard. Once, whichever way the window ends.
void CTidemarkDlg::StopInOrder()
{
    if (m_bStopped)
        return;
    m_bStopped = true;
    m_listOutput.Close();
    m_liveRegion.Stop();
    m_annotations.Close();
    m_listener.BeginStop();
    ClearList();
    m_listener.WakeListener();
    m_listener.WaitForEnd(m_exitMsg);
    m_trayIcon.Remove();
    m_singleInstance.Release();
}

// Every change of position, size, order or visibility puts the window back on top,
// without taking the activation from whichever window has it.
void CTidemarkDlg::OnWindowPosChanged(WINDOWPOS* position)
{
    CDialog::OnWindowPosChanged(position);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

PixelSize ClientSizeOf(const CWnd& control)
{
    RECT rect;
    control.GetClientRect(&rect);
    return PixelSize{rect.right - rect.left, rect.bottom - rect.top};
}

void Place(const CWnd& control, const PixelRect& rect)
{
    control.MoveWindow(rect.x, rect.y, rect.width, rect.height, TRUE);
}

}  // namespace

void CTidemarkDlg::OnSize(UINT type, int width, int height)
{
    CDialog::OnSize(type, width, height);
    // WM_SIZE also arrives while the window is created, before the controls are bound.
    if (m_messageList.m_hWnd == nullptr)
        return;
    RECT client;
    GetClientRect(&client);
    const BottomRowSizes sizes{ClientSizeOf(m_clearButton), ClientSizeOf(m_exitButton),
                               ClientSizeOf(m_versionLabel), ClientSizeOf(m_homepageLink),
                               ClientSizeOf(m_hideButton)};
    const MainWindowLayout layout =
        LayOutMainWindow(PixelSize{client.right - client.left, client.bottom - client.top}, sizes,
                         GetWindowDpi(m_hWnd));
    Place(m_messageList, layout.messageList);
    Place(m_clearButton, layout.clearButton);
    Place(m_exitButton, layout.exitButton);
    Place(m_versionLabel, layout.versionLabel);
    Place(m_homepageLink, layout.homepageLink);
    Place(m_hideButton, layout.hideButton);
    m_minTrackSize = SIZE{layout.minTrackSize.width, layout.minTrackSize.height};
    Invalidate(TRUE);
}

void CTidemarkDlg::OnSizing(UINT edge, RECT* rect)
{
    CDialog::OnSizing(edge, rect);
    DragRect dragged{rect->left, rect->top, rect->right, rect->bottom};
    KeepMinimumSize(dragged, PixelSize{m_minTrackSize.cx, m_minTrackSize.cy});
    rect->right = dragged.right;
    rect->bottom = dragged.bottom;
}

// Moved to a display of another scale: the system scales the dialog's font and controls,
// the window takes the rectangle the system suggests, and the layout follows the new scale.
LRESULT CTidemarkDlg::OnDpiChanged(WPARAM, LPARAM suggested)
{
    const LRESULT result = Default();
    const RECT& rect = *reinterpret_cast<const RECT*>(suggested);
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    return result;
}

void CTidemarkDlg::OnSysCommand(UINT id, LPARAM parameter)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else if (id == SC_MINIMIZE) {
        // The window is never minimised: it hides.
        m_bOpenedByUser = false;
        ShowWindow(SW_HIDE);
    } else {
        CDialog::OnSysCommand(id, parameter);
    }
}

void CTidemarkDlg::OnHomepage()
{
    OpenHomepage(m_hWnd);
}

void CTidemarkDlg::OnPaint()
{
    if (::IsIconic(m_hWnd)) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(m_hWnd, &paint);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
        RECT client;
        GetClientRect(&client);
        const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, m_hIcon);
        ::EndPaint(m_hWnd, &paint);
    } else {
        CDialog::OnPaint();
    }

    // The frame: top and right edges blue, then bottom and left red, which therefore
    // win the top-left and bottom-right corners. In high contrast only the system's
    // colours are shown.
    if (m_bHighContrast)
        return;
    RECT client;
    GetClientRect(&client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const int frame = ScaleToDpi(kFrameWidth, GetWindowDpi(m_hWnd));
    HDC dc = ::GetDC(m_hWnd);
    FillStrip(dc, 0, 0, w, frame, kFrameBlue);
    FillStrip(dc, w - frame, 0, frame, h, kFrameBlue);
    FillStrip(dc, 0, h - frame, w, frame, kFrameRed);
    FillStrip(dc, 0, 0, frame, h, kFrameRed);
    ::ReleaseDC(m_hWnd, dc);
}

HCURSOR CTidemarkDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

// A click opens the line it chose; keys only move the selection (a box at every step
// would stop a reader browsing the list), and Enter opens it.
void CTidemarkDlg::OnSelChangeMessageList()
{
    if (!m_bListKey)
        ShowChosenLine();
}

void CTidemarkDlg::ShowChosenLine()
{
    // The hide timer leaves the window alone while the user reads the line.
    m_bOpenedByUser = true;
    const int selected = m_messageList.GetCurSel();
    std::string line;
    // A selection change can report no selected line; then there is nothing to show.
    if (selected != LB_ERR && m_messageList.GetText(selected, line))
        MessageBox(line.c_str(), "Tidemark!", MB_ICONINFORMATION | MB_OK);
    m_bOpenedByUser = false;
}

// One reset of the list, whatever its length.
void CTidemarkDlg::ClearList()
{
    m_listOutput.Clear();
}
