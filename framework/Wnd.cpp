#include "framework/Wnd.h"

#include <unordered_map>
#include <vector>

#include "framework/WinApp.h"

namespace {

// The process's window objects by handle. Every message dispatched looks its object up
// here: a table of the process's own, so the lookup is no call into the system (a window
// property is one under Wine). The lock lets windows of several threads bind and dispatch.
class WindowObjects {
public:
    CWnd* Find(HWND hWnd)
    {
        ::AcquireSRWLockShared(&m_lock);
        const auto found = m_objects.find(hWnd);
        CWnd* window = found == m_objects.end() ? nullptr : found->second;
        ::ReleaseSRWLockShared(&m_lock);
        return window;
    }
    void Bind(HWND hWnd, CWnd* window)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        m_objects[hWnd] = window;
        ::ReleaseSRWLockExclusive(&m_lock);
    }
    void Unbind(HWND hWnd)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        m_objects.erase(hWnd);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_objects;
};

// Never destroyed: window objects of static lifetime unbind themselves after every other
// static object has gone.
WindowObjects& Objects()
{
    static WindowObjects* objects = new WindowObjects;
    return *objects;
}
// The procedure ours replaced. It stays with the window when the object is unbound while
// another procedure was installed on top of ours: ours then remains in that chain and
// must go on passing messages to it.
const char kPreviousProcProperty[] = "Tidemark.Framework.PreviousProc";

WNDPROC PreviousProcOf(HWND hWnd)
{
    return reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kPreviousProcProperty));
}

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = m_hWnd;
        UnsubclassWindow();
        ::DestroyWindow(hWnd);
    }
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr)
        return false;
    Objects().Bind(hWnd, this);
    m_hWnd = hWnd;
    // Installed as a Unicode procedure, although the program's own text is ANSI (the system
    // converts at the boundary). Behind an ANSI one, another process that reads a long list
    // line with the wide messages, as screen readers do, gets it cut short or crashes us.
    m_previousProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StandardWindowProc)));
    ::SetPropA(hWnd, kPreviousProcProperty, reinterpret_cast<HANDLE>(m_previousProc));
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent != nullptr && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return nullptr;
    // Only a procedure that is still on top can be taken out of the chain; otherwise it
    // stays there and keeps forwarding to the one it replaced.
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (current == &CWnd::StandardWindowProc) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        ::RemovePropA(hWnd, kPreviousProcProperty);
    }
    Objects().Unbind(hWnd);
    m_previousProc = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? Objects().Find(hWnd) : nullptr;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return false;
}

const MessageMap* CWnd::GetThisMessageMap()
{
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

LRESULT CALLBACK CWnd::StandardWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* window = FromHandlePermanent(hWnd);
    if (window != nullptr)
        return window->Dispatch(message, wParam, lParam);
    if (WNDPROC previous = PreviousProcOf(hWnd)) {
        if (message == WM_NCDESTROY)
            ::RemovePropA(hWnd, kPreviousProcProperty);
        return ::CallWindowProcW(previous, hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Handlers may cause nested messages; each keeps its own "current message".
    const CurrentMessage outer = m_current;
    m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result;
    if (message == WM_NCDESTROY) {
        result = Default();
        UnsubclassWindow();
        m_current = outer;
        PostNcDestroy();
        return result;
    }
    result = WindowProc(message, wParam, lParam);
    m_current = outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const MessageEntry* entry = GetMessageMap()->Find(message, wParam))
        return entry->handler(*this, wParam, lParam);

    // Owner-drawn controls draw themselves: the parent hands the request to the child.
    if (message == WM_DRAWITEM && lParam != 0) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        LRESULT result = 0;
        CWnd* child = FromHandlePermanent(item->hwndItem);
        if (child != nullptr && child != this &&
            child->OnChildNotify(message, wParam, lParam, &result))
            return result;
    }

    // A command that no window handles goes to the application's command table.
    if (message == WM_COMMAND && lParam == 0) {
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->OnCmdMsg(LOWORD(wParam)))
            return 0;
    }
    return Default();
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc != nullptr)
        return ::CallWindowProcW(m_previousProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const
{
    struct Sent {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } sent{message, wParam, lParam};
    ::EnumChildWindows(
        m_hWnd,
        [](HWND child, LPARAM context) {
            const Sent& s = *reinterpret_cast<const Sent*>(context);
            ::SendMessageA(child, s.message, s.wParam, s.lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&sent));
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

std::string CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) const
{
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) const
{
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

HICON CWnd::SetIcon(HICON icon, BOOL big) const
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const
{
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

bool AfxPreTranslateMessage(MSG* msg)
{
    for (HWND hWnd = msg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* window = CWnd::FromHandlePermanent(hWnd);
        if (window != nullptr && window->PreTranslateMessage(msg))
            return true;
    }
    return false;
}
