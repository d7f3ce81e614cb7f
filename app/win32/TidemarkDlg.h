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
    void OnHomepage();
    LRESULT OnPopUpRequest(WPARAM, LPARAM);

    // The top of the message list, for the list operations.
    bool ReadTopLine(std::string& line) override;
    void DeleteTopLine() override;
    void InsertTopLine(const std::string& line) override;

private:
    void StartListenerThread();

    HICON m_hIcon;
    HCURSOR m_hLinkCursor;
    CHButton m_homepageLink;
    HANDLE m_hMutex = nullptr;
    NOTIFYICONDATAA m_trayIcon{};
    std::atomic<CWinThread*> m_pListenerThread{nullptr};
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
};

UINT ListenerThreadProc(LPVOID window);
