#pragma once

#include "framework/Wnd.h"

// Tells a screen reader that the list's top line changed, although the window never takes
// the keyboard: a live-region change raised for the top item, whose text is what is read
// out. A burst of lines is read as its newest one: the first change is told at once, and
// every change within the interval after it waits for the interval's end, when only the
// top line as it then stands is told. A flood thus costs one announcement per interval,
// and no call into the system per line: the interval's timer is set once per burst.
// Used on the window's thread only.
class CLiveRegionAnnouncer {
public:
    // The list's first item, as accessibility numbers the items of a list box (from 1).
    static constexpr LONG kTopItem = 1;

    CLiveRegionAnnouncer(CWnd& window, UINT_PTR timerId) : m_window(window), m_timerId(timerId) {}

    void Attach(HWND list) { m_list = list; }

    // After every change of the list. A top line that is only a piece of a line still
    // being received is not told: the whole line is, once it has arrived.
    void TopLineChanged(bool whole);
    // On the window's timer of the given id.
    void OnIntervalEnd();
    // Nothing more is told; a change still waiting is dropped.
    void Stop();

private:
    void Announce() const;

    CWnd& m_window;
    const UINT_PTR m_timerId;
    HWND m_list = nullptr;
    bool m_intervalRunning = false;
    bool m_changeWaiting = false;
};
