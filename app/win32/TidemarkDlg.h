#pragma once

#include "app/win32/AccessibleAnnotations.h"
#include "app/win32/ListenerHost.h"
#include "app/win32/LiveRegionAnnouncer.h"
#include "app/win32/MessageListBox.h"
#include "app/win32/SingleInstanceGuard.h"
#include "app/win32/TrayIcon.h"
#include "app/win32/WindowTimers.h"
#include "controls/win32/HButton.h"
#include "controls/win32/NamedGlyphButton.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

// The main window: the message list with its buttons. It starts the listener thread,
// which writes every status, error and message line through the list operations of the
// message list's output; each of them pops the window up, and the hide timer
// hides it again 12 seconds after the last line unless the user opened it. Every way the
// window ends stops the listener, removes the icon and lets go of the single-instance
// guard, in that order, before the window goes.
class CTidemarkDlg : public CDialog {
public:
    CTidemarkDlg();

    void PopUp();
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
    LRESULT OnActivate(WPARAM state, LPARAM);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM, LPARAM);
    void OnTimer(UINT_PTR id);
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

private:
    void StopInOrder();
    void OnHideTimer();
    void OnTaskbarCreated();
    void KeepTrayIconShown(bool shown);
    void OnShowRequest();
    void RestartHidePeriod();
    void OnListChanged();
    void ShowChosenLine();
    void SetUpAccessibility();
    void FollowSystemColours(UINT message, WPARAM wParam, LPARAM lParam);

    HICON m_hIcon;
    HCURSOR m_hLinkCursor;
    CHButton m_homepageLink;
    CSingleInstanceGuard m_singleInstance;
    CTrayIcon m_trayIcon;
    // The listener thread's shared fields (run flag, ended flag, sockets, port, thread)
    // and the window's half of its life.
    CListenerHost m_listener;
    // Every line enters the list through it. Closed before the listener is waited for.
    CMessageListBox m_listOutput{*this, m_messageList, [this] { OnListChanged(); }};
    CAccessibleAnnotations m_annotations;
    CLiveRegionAnnouncer m_liveRegion{*this, kAnnounceTimerId};
    // The message being dispatched is a key for the list: a selection it makes is browsing.
    bool m_bListKey = false;
    bool m_bHighContrast = false;
    bool m_bExitRequested = false;
    bool m_bStopped = false;
    MSG m_exitMsg{};
    UINT m_hideTimerElapse = 12000;
    UINT_PTR m_hideTimerId = kHideTimerId;
    bool m_bOpenedByUser = false;
    bool m_bHideTimerRunning = false;
    DWORD m_lastPopUp = 0;  // tick count of the last pop-up
    SIZE m_minTrackSize;
    SIZE m_initialClientSize;
    CButton m_exitButton;
    CButton m_clearButton;
    CStatic m_versionLabel;
    CNamedGlyphButton m_hideButton;
    CListBox m_messageList;
};

UINT ListenerThreadProc(LPVOID window);
