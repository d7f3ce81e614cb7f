#include "app/win32/TidemarkDlg.h"

#include <cstring>

#include "app/WindowLayout.h"
#include "controls/DisplayScale.h"
#include "framework/WinApp.h"
#include "framework/WindowDpi.h"
#include "info/win32/AboutDlg.h"
#include "info/win32/HomepageLink.h"
#include "info/win32/VersionInfo.h"
#include "net/Listener.h"
#include "net/win32/WinsockApi.h"
#include "res/resource.h"

namespace {

// A list change asked for by the listener thread (lParam: the ListChange). It is sent, so
// the listener waits until the change is made; the window's thread carries it out, pop-up
// and hide timer included (timers belong to the thread of their window).
constexpr UINT WM_TIDEMARK_LIST_CHANGE = WM_APP + 1;

// Under Wine a repaint of the list costs far more than receiving a line. Lines that follow
// each other within this interval are painted together once it has passed: no reader
// notices, and a flood of lines costs one repaint per interval instead of one per line.
constexpr UINT_PTR kListRepaintTimerId = 2;
constexpr DWORD kListRepaintInterval = 50;

const char kSingleInstanceMutex[] = "TidemarkSoftware";

// The notification-area icon and the message its clicks arrive with.
constexpr UINT kTrayIconId = IDI_TIDEMARK;
constexpr UINT WM_TRAY_NOTIFY = WM_USER;

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

// The listener thread works on this object, so it must end before the object does. The
// exit button stops it in order; this covers every other way the dialog can end. The
// window is gone by now, so the thread's last list operations fail at once instead of
// waiting for this thread.
CTidemarkDlg::~CTidemarkDlg()
{
    if (m_hListenerThread == nullptr)
        return;
    if (!m_bListenerEnded) {
        m_bRun = false;
        CloseListenSocket();
        ::WaitForSingleObject(m_hListenerThread, INFINITE);
    }
    ::CloseHandle(m_hListenerThread);
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
        OnMessage<WM_TIDEMARK_LIST_CHANGE, &CTidemarkDlg::OnListChange>(),
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

    // One instance at a time: a running one holds the named mutex.
    m_hMutex = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kSingleInstanceMutex);
    if (m_hMutex != nullptr) {
        AfxMessageBox("You can run Tidemark Software only one time!", MB_OK);
        OnCancel();
        return FALSE;
    }
    m_hMutex = ::CreateMutexA(nullptr, FALSE, kSingleInstanceMutex);

    m_bExitRequested = false;

    AddTrayIcon();
    SetUpHomepageLink(m_homepageLink, m_hLinkCursor);

    m_versionLabel.SetWindowText(("Ver. " + GetVersionString()).c_str());

    m_hideTimerElapse = 12000;
    m_hideTimerId = 1;
    m_bOpenedByUser = false;
    m_listenSocket = 0;
    m_port = 26112;
    m_pListenerThread = nullptr;
    m_bRun = false;
    m_bListenerEnded = true;

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

    StartListenerThread();
    return TRUE;
}

void CTidemarkDlg::AddTrayIcon()
{
    // The first version of the record, sized for the platform built for: every shell
    // knows it, and its tip holds 63 characters and the zero.
    m_trayIcon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_trayIcon.hIcon = m_hIcon;
    m_trayIcon.hWnd = m_hWnd;
    const std::string tip = GetProductName().substr(0, sizeof m_trayIcon.szTip - 1);
    std::memcpy(m_trayIcon.szTip, tip.c_str(), tip.size() + 1);
    m_trayIcon.uCallbackMessage = WM_TRAY_NOTIFY;
    m_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_trayIcon.uID = kTrayIconId;
    ::Shell_NotifyIconA(NIM_ADD, &m_trayIcon);
}

void CTidemarkDlg::StartListenerThread()
{
    // The window counts the thread as running from its creation on: should the dialog end
    // before the thread's first step, the destructor must still wait for it.
    m_bListenerEnded = false;
    // Suspended until the run flag is set, so the thread's first look at it sees true.
    CWinThread* thread = AfxBeginThread(&ListenerThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        m_bListenerEnded = true;
        AddLine("Can't starting Socketthread !!");
        return;
    }
    ::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(),
                      &m_hListenerThread, SYNCHRONIZE, FALSE, 0);
    m_pListenerThread = thread;
    m_bRun = true;
    thread->ResumeThread();
    AddLine("Socketthread starting ...");
}

// Takes the listening socket away from the listener: a waiting accept fails, and
// releasing the sockets library makes a waiting recv fail too.
void CTidemarkDlg::CloseListenSocket()
{
    WinsockApi sockets;
    ReleaseListenSocket(sockets, m_listenSocket);
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
        Listener listener(sockets, *this,
                          ListenerFields{m_bRun, m_bListenerEnded, m_listenSocket, m_port,
                                         m_pListenerThread});
        listener.Run();
    }
    AfxEndThread(0);
}

// Runs on the window's own thread, where every list change is carried out.
void CTidemarkDlg::PopUp()
{
    ShowWindow(SW_SHOW);
    SetTimer(m_hideTimerId, m_hideTimerElapse);
}

void CTidemarkDlg::CarryOut(const ListChange& change)
{
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) != ::GetCurrentThreadId()) {
        SendMessage(WM_TIDEMARK_LIST_CHANGE, 0, reinterpret_cast<LPARAM>(&change));
        return;
    }
    PaceListRepaint();
    Apply(change);
}

LRESULT CTidemarkDlg::OnListChange(WPARAM, LPARAM change)
{
    CarryOut(*reinterpret_cast<const ListChange*>(change));
    return 0;
}

// A change after a pause is painted at once; one that follows the last within the
// interval holds the list's repaint until the interval has passed.
void CTidemarkDlg::PaceListRepaint()
{
    const DWORD now = ::GetTickCount();
    const bool pause = now - m_lastListChange >= kListRepaintInterval;
    m_lastListChange = now;
    if (m_listRepaintHeld || pause)
        return;
    m_messageList.SendMessage(WM_SETREDRAW, FALSE);
    m_listRepaintHeld = true;
    SetTimer(kListRepaintTimerId, kListRepaintInterval);
}

void CTidemarkDlg::RepaintHeldList()
{
    KillTimer(kListRepaintTimerId);
    m_listRepaintHeld = false;
    // The list box brings its scroll bars up to date itself when it may draw again; only
    // its lines need painting.
    m_messageList.SendMessage(WM_SETREDRAW, TRUE);
    m_messageList.Invalidate(TRUE);
}

void CTidemarkDlg::OnTimer(UINT_PTR id)
{
    if (id == m_hideTimerId && !m_bOpenedByUser) {
        ShowWindow(SW_HIDE);
        KillTimer(m_hideTimerId);
    } else if (id == kListRepaintTimerId) {
        RepaintHeldList();
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

void CTidemarkDlg::OnHide()
{
    ShowWindow(SW_HIDE);
    m_bOpenedByUser = false;
}

// Enter and Escape never reach the dialog's own keyboard handling, which would press the
// default button or end the dialog: Enter goes to the focused control as a plain key,
// Escape hides the window.
BOOL CTidemarkDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return FALSE;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        OnHide();
        return FALSE;
    }
    return CDialog::PreTranslateMessage(msg);
}

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
    m_bRun = false;
    ClearList();
    CloseListenSocket();
    WaitForListenerEnd();
    ::Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
    if (m_hMutex != nullptr)
        ::ReleaseMutex(m_hMutex);
    CDialog::OnClose();
}

// Keeps the window answering the list operations the listener thread still makes while it
// winds down, and sleeps between them until a message comes or the thread is gone.
void CTidemarkDlg::WaitForListenerEnd()
{
    while (!m_bListenerEnded) {
        while (::PeekMessageA(&m_exitMsg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m_exitMsg);
            ::DispatchMessageA(&m_exitMsg);
        }
        if (m_bListenerEnded || m_hListenerThread == nullptr)
            break;
        ::MsgWaitForMultipleObjectsEx(1, &m_hListenerThread, INFINITE, QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

// Every change of position, size, order or visibility puts the window back on top.
void CTidemarkDlg::OnWindowPosChanged(WINDOWPOS* position)
{
    CDialog::OnWindowPosChanged(position);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
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
    // win the top-left and bottom-right corners.
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

void CTidemarkDlg::OnSelChangeMessageList()
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

// One line at a time from the top, painted once at the end: a list of many thousand lines
// empties in a moment. A repaint held for arriving lines is done with it.
void CTidemarkDlg::ClearList()
{
    m_messageList.SendMessage(WM_SETREDRAW, FALSE);
    while (m_messageList.GetCount() > 0)
        m_messageList.DeleteString(0);
    RepaintHeldList();
}

bool CTidemarkDlg::ReadTopLine(std::string& line)
{
    return m_messageList.GetText(0, line);
}

void CTidemarkDlg::DeleteTopLine()
{
    m_messageList.DeleteString(0);
}

void CTidemarkDlg::InsertTopLine(const std::string& line)
{
    m_messageList.InsertString(0, line.c_str());
}
