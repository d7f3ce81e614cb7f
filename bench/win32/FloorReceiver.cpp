// floor_receiver: the least a receiver with Tidemark's design can spend on a line, the
// benchmark's floor for the program. A listener thread serves one connection at a time (backlog
// 2), reads the line as the design asks (a peek, then exactly the bytes up to the line end,
// at most the line limit), shuts down and closes; each line then travels to the window's
// thread in one sent message, which the listener waits for. There the line is inserted at
// the top of a list box, the hidden window is shown without activation, the 12 s hide timer
// restarts, and while lines come fast the list's repaint is held 50 ms. Nothing else: no
// framework, no subclassing, no decoding, no status lines. Its list box is the design's:
// the program's manifest (common controls 6, display scaling) and the dialog's font; built
// with PLAIN_LIST_BOX (floor_receiver_plain) it is the system's plain one instead.
//
//   floor_receiver

#include <winsock2.h>

#include <cstdio>
#include <string>

#include "ListenLikeTidemark.h"
#include "net/LineProtocol.h"

namespace {

constexpr UINT kLineMessage = WM_APP + 1;
constexpr UINT_PTR kHideTimer = 1;
constexpr UINT kHideAfter = 12000;
constexpr UINT_PTR kRepaintTimer = 2;
constexpr DWORD kRepaintInterval = 50;

HWND g_window = nullptr;
HWND g_list = nullptr;
bool g_repaintHeld = false;
DWORD g_lastLine = 0;

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n' || byte == '\0';
}

void ShowLine(const std::string& line)
{
    const DWORD now = ::GetTickCount();
    const bool fast = now - g_lastLine < kRepaintInterval;
    g_lastLine = now;
    if (fast && !g_repaintHeld) {
        ::SendMessageA(g_list, WM_SETREDRAW, FALSE, 0);
        g_repaintHeld = true;
        ::SetTimer(g_window, kRepaintTimer, kRepaintInterval, nullptr);
    }
    ::SendMessageA(g_list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (!::IsWindowVisible(g_window))
        ::ShowWindow(g_window, SW_SHOWNA);
    ::SetTimer(g_window, kHideTimer, kHideAfter, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kLineMessage:
        ShowLine(*reinterpret_cast<const std::string*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kHideTimer) {
            ::ShowWindow(window, SW_HIDE);
            ::KillTimer(window, kHideTimer);
        } else if (wParam == kRepaintTimer) {
            ::KillTimer(window, kRepaintTimer);
            g_repaintHeld = false;
            ::SendMessageA(g_list, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(g_list, nullptr, TRUE);
        }
        return 0;
    case WM_SIZE:
        ::MoveWindow(g_list, 6, 6, LOWORD(lParam) - 12, HIWORD(lParam) - 12, TRUE);
        return 0;
    case WM_CLOSE:
        ::ShowWindow(window, SW_HIDE);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

// The design's reading: peek at what is waiting, then take exactly the bytes up to and
// including the line end.
void ReadLine(SOCKET connection, std::string& line)
{
    static char buffer[kMaxLineLength];
    while (static_cast<int>(line.size()) < kMaxLineLength) {
        const int allowed = kMaxLineLength - static_cast<int>(line.size());
        const int peeked = recv(connection, buffer, allowed, MSG_PEEK);
        if (peeked <= 0)
            return;
        int wanted = peeked;
        for (int i = 0; i < peeked; ++i) {
            if (IsLineEnd(buffer[i])) {
                wanted = i + 1;
                break;
            }
        }
        const int received = recv(connection, buffer, wanted, 0);
        if (received <= 0)
            return;
        for (int i = 0; i < received; ++i) {
            if (IsLineEnd(buffer[i]))
                return;
            line += buffer[i];
        }
    }
}

DWORD WINAPI Listen(LPVOID listenSocket)
{
    const SOCKET listener = reinterpret_cast<SOCKET>(listenSocket);
    for (;;) {
        sockaddr_in peer;
        int peerLength = sizeof peer;
        const SOCKET connection = accept(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (connection == INVALID_SOCKET)
            return 1;
        std::string line;
        ReadLine(connection, line);
        line += " <- ";
        line += inet_ntoa(peer.sin_addr);
        ::SendMessageA(g_window, kLineMessage, 0, reinterpret_cast<LPARAM>(&line));
        shutdown(connection, SD_SEND);
        closesocket(connection);
    }
}

}  // namespace

int main()
{
    const SOCKET listener = ListenLikeTidemark();
    if (listener == INVALID_SOCKET)
        return 1;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "FloorReceiver";
    ::RegisterClassA(&windowClass);
    g_window = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_APPWINDOW, "FloorReceiver", "floor",
                                 WS_POPUP | WS_SYSMENU | WS_THICKFRAME, 0, 0, 380, 110, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
    g_list = ::CreateWindowExA(0, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                   LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                               6, 6, 360, 90, g_window, nullptr, windowClass.hInstance, nullptr);
    if (g_window == nullptr || g_list == nullptr)
        return 1;
#ifndef PLAIN_LIST_BOX
    // The list box of Tidemark's dialog template: "MS Shell Dlg" at 8 points.
    const int height = -::MulDiv(8, ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY), 72);
    HFONT font = ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH, "MS Shell Dlg");
    ::SendMessageA(g_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
#endif
    ::ShowWindow(g_window, SW_SHOWNA);

    HANDLE thread = ::CreateThread(nullptr, 0, &Listen, reinterpret_cast<LPVOID>(listener), 0, nullptr);
    if (thread == nullptr)
        return 1;
    std::printf("listening\n");
    std::fflush(stdout);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
