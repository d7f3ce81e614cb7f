#include "app/win32/LiveRegionAnnouncer.h"

#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif

namespace {

// Speech takes about this long for a short line: a reader hears every burst's newest line
// and never a queue of older ones.
constexpr UINT kAnnouncementInterval = 500;

}  // namespace

void CLiveRegionAnnouncer::TopLineChanged(bool whole)
{
    if (!whole) {
        m_changeWaiting = false;
        return;
    }
    if (m_intervalRunning) {
        m_changeWaiting = true;
        return;
    }
    Announce();
    m_window.SetTimer(m_timerId, kAnnouncementInterval);
    m_intervalRunning = true;
}

void CLiveRegionAnnouncer::OnIntervalEnd()
{
    if (m_changeWaiting) {
        m_changeWaiting = false;
        Announce();
        return;
    }
    Stop();
}

void CLiveRegionAnnouncer::Stop()
{
    m_changeWaiting = false;
    if (m_intervalRunning)
        m_window.KillTimer(m_timerId);
    m_intervalRunning = false;
}

// The user may have emptied the list since the change.
void CLiveRegionAnnouncer::Announce() const
{
    if (m_list != nullptr && ::SendMessageA(m_list, LB_GETCOUNT, 0, 0) > 0)
        ::NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, m_list, OBJID_CLIENT, kTopItem);
}
