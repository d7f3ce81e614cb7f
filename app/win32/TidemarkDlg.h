#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "app/win32/ListenerHost.h"
#include "app/win32/SingleInstanceGuard.h"
#include "app/win32/TrayIcon.h"
#include "controls/win32/HButton.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "text/MessageListOutput.h"

// The main window: the message list with its buttons. It starts the listener thread,
// which writes every status, error and message line through the list operations
// inherited from MessageListOutput; each of them pops the window up, and the hide timer
// hides it again 12 seconds after the last line unless the user opened it. Every way the
// window ends stops the listener, removes the icon and lets go of the single-instance
// guard, in that order, before the window goes.
class CTidemarkDlg : public CDialog, public MessageListOutput {
public:
    CTidemarkDlg();

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
    void OnDestroy();
    void OnWindowPosChanged(WINDOWPOS* position);
    void OnSize(UINT type, int width, int height);
    void OnSizing(UINT edge, RECT* rect);
    LRESULT OnDpiChanged(WPARAM, LPARAM suggested);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The list lives on the window's thread: a change asked for by the listener thread is
    // carried out there, whole, in one sent message.
    void CarryOut(const ListChange& change) override;
    // The top of the message list, for the list operations.
    bool ReadTopLine(std::string& line) override;
    void DeleteTopLine() override;
    void InsertTopLine(const std::string& line) override;

private:
    void StopInOrder();
    void OnTaskbarCreated();
    void KeepTrayIconShown(bool shown);
    void OnShowRequest();
    void EndAsAsked();

    HICON m_hIcon;
    HCURSOR m_hLinkCursor;
    CHButton m_homepageLink;
    CSingleInstanceGuard m_singleInstance;
    CTrayIcon m_trayIcon;
    // The listener thread's shared fields (run flag, ended flag, sockets, port, thread)
    // and the window's half of its life.
    CListenerHost m_listener{*this, m_messageList};
    bool m_bExitRequested = false;
    bool m_bStopped = false;
    MSG m_exitMsg{};
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
