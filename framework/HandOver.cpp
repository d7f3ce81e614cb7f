#include "framework/HandOver.h"

namespace {

const wchar_t kWindowClass[] = L"Tidemark.Framework.HandOver";

}  // namespace

CHandOver::~CHandOver()
{
    Close();
}

// A Unicode window: the work's texts never pass through it, and no conversion is asked for.
bool CHandOver::Open()
{
    if (m_window != nullptr)
        return true;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &CHandOver::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    // A second hand-over finds the class registered already.
    ::RegisterClassExW(&windowClass);
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    if (window == nullptr)
        return false;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    m_threadId = ::GetCurrentThreadId();
    m_open = true;
    return true;
}

// The caller's piece of work is known to the window's thread only while the caller waits
// on it: the message carries its address, which must match.
bool CHandOver::Run(const std::function<void()>& work)
{
    if (!m_open)
        return false;
    if (::GetCurrentThreadId() == m_threadId) {
        work();
        return true;
    }
    Handed handed{&work, false};
    ::AcquireSRWLockExclusive(&m_callers);
    if (m_open) {
        m_handed = &handed;
        ::SendMessageW(m_window, kWorkMessage, 0, reinterpret_cast<LPARAM>(&handed));
        m_handed = nullptr;
    }
    ::ReleaseSRWLockExclusive(&m_callers);
    return handed.done;
}

void CHandOver::Receive(LPARAM lParam)
{
    Handed* expected = reinterpret_cast<Handed*>(lParam);
    if (expected == nullptr || !m_open || !m_handed.compare_exchange_strong(expected, nullptr))
        return;
    (*expected->work)();
    expected->done = true;
}

// Destroying the window lets a caller go that is still waiting in its sent message.
void CHandOver::Close()
{
    m_open = false;
    if (HWND window = m_window.exchange(nullptr))
        ::DestroyWindow(window);
}

LRESULT CALLBACK CHandOver::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kWorkMessage) {
        if (auto* handOver =
                reinterpret_cast<CHandOver*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
            handOver->Receive(lParam);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}
