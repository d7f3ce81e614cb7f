#include "app/win32/TidemarkDlg.h"

#include "framework/WinApp.h"
#include "info/win32/AboutDlg.h"
#include "info/win32/HomepageLink.h"
#include "info/win32/VersionInfo.h"
#include "net/Listener.h"
#include "net/win32/WinsockApi.h"
#include "res/resource.h"

namespace {

// Shows the window and restarts the hide timer on the window's own thread: timers
// belong to the thread of their window, so the listener thread asks with this message.
constexpr UINT WM_TIDEMARK_POPUP = WM_APP + 1;

const char kSingleInstanceMutex[] = "TidemarkSoftware";

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
// exit button stops it in order; this covers every other way the dialog can end.
CTidemarkDlg::~CTidemarkDlg()
{
    if (m_bListenerEnded)
        return;
    m_bRun = false;
    WinsockApi sockets;
    ReleaseListenSocket(sockets, m_listenSocket);
    // The window is gone by now, so the thread's last list operations fail at once
    // instead of waiting for this thread.
    while (!m_bListenerEnded)
        ::Sleep(10);
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
        // Window behaviour rows go here: WM_CLOSE (OnClose).
        OnMessage<WM_TIMER, &CTidemarkDlg::OnTimer>(),
        // Window behaviour rows go here: WM_USER (OnTrayNotify), BN_CLICKED of the hide
        // button (OnHide) and of the exit button (OnExit).
        OnCommand<IDC_HOMEPAGE_LINK, BN_CLICKED, &CTidemarkDlg::OnHomepage>(),
        // Window behaviour rows go here: WM_WINDOWPOSCHANGED, WM_SIZE, WM_SIZING.
        OnMessage<WM_TIDEMARK_POPUP, &CTidemarkDlg::OnPopUpRequest>(),
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

    // The notification-area icon is set up here.
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

    // Give the client area its initial size, keeping the top-left corner.
    RECT client;
    GetClientRect(&client);
    POINT origin{client.left, client.top};
    ::ClientToScreen(m_hWnd, &origin);
    RECT placement{origin.x, origin.y, origin.x + m_initialClientSize.cx,
                   origin.y + m_initialClientSize.cy};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&placement, style, FALSE, exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE));
    MoveWindow(placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top, TRUE);

    StartListenerThread();
    return TRUE;
}

void CTidemarkDlg::StartListenerThread()
{
    // Suspended until the run flag is set, so the thread's first look at it sees true.
    m_pListenerThread = AfxBeginThread(&ListenerThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                                       CREATE_SUSPENDED, nullptr);
    CWinThread* thread = m_pListenerThread;
    if (thread != nullptr) {
        m_bRun = true;
        thread->ResumeThread();
        AddLine("Socketthread starting ...");
    } else {
        AddLine("Can't starting Socketthread !!");
    }
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

void CTidemarkDlg::PopUp()
{
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) != ::GetCurrentThreadId()) {
        SendMessage(WM_TIDEMARK_POPUP);
        return;
    }
    ShowWindow(SW_SHOW);
    SetTimer(m_hideTimerId, m_hideTimerElapse);
}

LRESULT CTidemarkDlg::OnPopUpRequest(WPARAM, LPARAM)
{
    PopUp();
    return 0;
}

void CTidemarkDlg::OnTimer(UINT_PTR id)
{
    if (id == m_hideTimerId && !m_bOpenedByUser) {
        ShowWindow(SW_HIDE);
        KillTimer(m_hideTimerId);
    }
    CDialog::OnTimer(id);
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
    HDC dc = ::GetDC(m_hWnd);
    FillStrip(dc, 0, 0, w, kFrameWidth, kFrameBlue);
    FillStrip(dc, w - kFrameWidth, 0, kFrameWidth, h, kFrameBlue);
    FillStrip(dc, 0, h - kFrameWidth, w, kFrameWidth, kFrameRed);
    FillStrip(dc, 0, 0, kFrameWidth, h, kFrameRed);
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

void CTidemarkDlg::ClearList()
{
    while (m_messageList.GetCount() > 0)
        m_messageList.DeleteString(0);
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
