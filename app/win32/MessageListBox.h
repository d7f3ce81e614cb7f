#pragma once

#include <functional>
#include <string>

#include "app/win32/ListBoxTopLines.h"
#include "framework/Controls.h"
#include "framework/HandOver.h"
#include "text/MessageListOutput.h"

// The message list as the list operations see it: the list box, changed on the window's
// thread whichever thread asks (a change from another thread is handed over whole, and
// its caller waits), with the list's repaints paced for a reader.
class CMessageListBox : public MessageListOutput {
public:
    // Made on the window's thread. `popUp` shows the window and restarts its hide timer there.
    CMessageListBox(CWnd& window, CListBox& list, std::function<void()> popUp);

    // On the window's thread, once the window exists; from then on changes from other
    // threads are taken. False when they cannot be.
    bool Open() { return m_handOver.Open(); }
    // No change is taken any more, and one still waiting is let go undone.
    void Close() { m_handOver.Close(); }

    // Empties the list in one reset; a repaint held for arriving lines is done with it.
    void Clear();
    // On the window's repaint timer.
    void RepaintHeldList();

protected:
    bool CarryOut(const ListChange& change) override;

private:
    void PaceListRepaint();

    CWnd& m_window;
    CListBox& m_list;
    CListBoxTopLines m_topLines;
    const DWORD m_windowThreadId;
    CHandOver m_handOver;
    // While lines arrive in quick succession, the list repaints at a reader's pace.
    bool m_listRepaintHeld = false;
    DWORD m_lastListChange = 0;
};
