#include "app/win32/MessageListBox.h"

#include <utility>

#include "app/win32/WindowTimers.h"

namespace {

// Under Wine a repaint of the list costs far more than receiving a line. Lines that follow
// each other within this interval are painted together once it has passed: no reader
// notices, and a flood of lines costs one repaint per interval instead of one per line.
constexpr DWORD kListRepaintInterval = 50;

}  // namespace

CMessageListBox::CMessageListBox(CWnd& window, CListBox& list, std::function<void()> popUp)
    : m_window(window), m_list(list), m_topLines(list, std::move(popUp)),
      m_windowThreadId(::GetCurrentThreadId())
{
}

// The whole change, pop-up included, in one step on the window's thread: nothing can fall
// between the read, delete and insert of a join.
bool CMessageListBox::CarryOut(const ListChange& change)
{
    const auto work = [this, &change] {
        PaceListRepaint();
        ApplyListChange(m_topLines, change);
    };
    // The window's own lines need no hand-over: they show even where it could not open.
    if (::GetCurrentThreadId() != m_windowThreadId)
        return m_handOver.Run(work);
    work();
    return true;
}

// A change after a pause is painted at once; one that follows the last within the
// interval holds the list's repaint until the interval has passed.
void CMessageListBox::PaceListRepaint()
{
    const DWORD now = ::GetTickCount();
    const bool pause = now - m_lastListChange >= kListRepaintInterval;
    m_lastListChange = now;
    if (m_listRepaintHeld || pause)
        return;
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_listRepaintHeld = true;
    m_window.SetTimer(kListRepaintTimerId, kListRepaintInterval);
}

void CMessageListBox::RepaintHeldList()
{
    m_window.KillTimer(kListRepaintTimerId);
    m_listRepaintHeld = false;
    // The list box brings its scroll bars up to date itself when it may draw again; only
    // its lines need painting.
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate(TRUE);
}

void CMessageListBox::Clear()
{
    m_list.ResetContent();
    RepaintHeldList();
}
