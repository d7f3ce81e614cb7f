#pragma once

#include <string>

#include "framework/Afx.h"
#include "framework/MessageMap.h"

// A window object bound to a window handle. Binding replaces the window's procedure, so
// that messages reach the object's message table first; what the table does not handle,
// and what a handler passes on with Default(), goes to the window's own procedure.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Binds this object to an existing window (and unbinds it again).
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Lets a window filter a message before it is dispatched; true = dealt with.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called for WM_DRAWITEM and the like that the parent reflects to its child control.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Thin wrappers of the window functions the program uses.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // To every child and their children: the system tells only top-level windows of
    // changes that every control must see (colours, settings).
    void SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const;
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    std::string GetWindowText() const;
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const;
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const;
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    HICON SetIcon(HICON icon, BOOL big) const;
    int MessageBox(const char* text, const char* caption, UINT type) const;

protected:
    // The message table of this class; derived classes define their own with this as base.
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap* GetThisMessageMap();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Hands the message being handled to the window's own procedure.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window has gone (WM_NCDESTROY); the object is unbound by then.
    virtual void PostNcDestroy() {}

    // The default handlers that derived classes call to pass a message on.
    void OnPaint() { Default(); }
    void OnClose() { Default(); }
    void OnDestroy() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnSizing(UINT, RECT*) { Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    void OnMouseMove(UINT, POINT) { Default(); }

private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    static LRESULT CALLBACK StandardWindowProc(HWND hWnd, UINT message, WPARAM wParam,
                                               LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_previousProc = nullptr;
    CurrentMessage m_current{};
};

// Offers a message to the PreTranslateMessage of its target window and of that window's
// parents and owners, nearest first; true when one of them dealt with it.
bool AfxPreTranslateMessage(MSG* msg);
