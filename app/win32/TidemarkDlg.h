#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "controls/win32/HButton.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinThread.h"
#include "net/SocketApi.h"
#include "text/MessageListOutput.h"

// The main window: the message list with its buttons. It starts the listener thread,
// which writes every status, error and message line through the list operations
// inherited from MessageListOutput; each of them pops the window up, and the hide timer
// hides it again 12 seconds after the last line unless the user opened it.
class CTidemarkDlg : public CDialog, public MessageListOutput {
public:
    CTidemarkDlg();
    ~CTidemarkDlg() override;

    void PopUp() override;
    void ClearList();

    // The listener thread's body; ends the thread and does not return.
    [[noreturn]] void RunListener();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

    void OnSysCommand(UINT id, LPARAM parameter);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSelChangeMessageList();
    void OnTimer(UINT_PTR id);
    LRESULT OnListChange(WPARAM, LPARAM change);
    void OnHomepage();

    LRESULT OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    void OnHide();
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnExit();
    void OnClose();
    void OnWindowPosChanged(WINDOWPOS* position);
    void OnSize(UINT type, int width, int height);
    void OnSizing(UINT edge, RECT* rect);
    LRESULT OnDpiChanged(WPARAM, LPARAM suggested);

    // The list lives on the window's thread: a change asked for by the listener thread is
    // carried out there, whole, in one sent message.
    void CarryOut(const ListChange& change) override;
    // The top of the message list, for the list operations.
    bool ReadTopLine(std::string& line) override;
    void DeleteTopLine() override;
    void InsertTopLine(const std::string& line) override;

private:
    void AddTrayIcon();
    void StartListenerThread();
    void CloseListenSocket();
    void WaitForListenerEnd();
    void PaceListRepaint();
    void RepaintHeldList();

    HICON m_hIcon;
    HCURSOR m_hLinkCursor;
    CHButton m_homepageLink;
    HANDLE m_hMutex = nullptr;
    NOTIFYICONDATAA m_trayIcon{};
    std::atomic<CWinThread*> m_pListenerThread{nullptr};
    // The listener thread's own handle, kept by the window: the thread object deletes
    // itself, and its handle with it, when the thread ends.
    HANDLE m_hListenerThread = nullptr;
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bListenerEnded{true};
    bool m_bExitRequested = false;
    MSG m_exitMsg{};
    std::atomic<SocketHandle> m_listenSocket{0};
    std::uint16_t m_port = 26112;
    UINT m_hideTimerElapse = 12000;
    UINT m_hideTimerId = 1;
    bool m_bOpenedByUser = false;
    SIZE m_minTrackSize;
    SIZE m_initialClientSize;
    CButton m_exitButton;
    CButton m_clearButton;
    CStatic m_versionLabel;
    CButton m_hideButton;
    CListBox m_messageList;

    // While lines arrive in quick succession, the list repaints at a reader's pace.
    bool m_listRepaintHeld = false;
    DWORD m_lastListChange = 0;
};

UINT ListenerThreadProc(LPVOID window);
