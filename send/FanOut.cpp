#include "send/FanOut.h"

#include <algorithm>

namespace {

// Descriptors kept for the process's own files (standard streams, name lookups).
constexpr std::size_t kReservedDescriptors = 16;
// While connections are open, how often the loop looks for newly posted messages.
constexpr auto kLookForPosts = std::chrono::milliseconds(50);
constexpr auto kLongestIdleWait = std::chrono::minutes(1);

// As many connections as asked for, when the process may hold that many sockets.
std::size_t WindowFor(std::size_t parallel)
{
    const std::size_t limit = RaiseOpenFileLimit(parallel + kReservedDescriptors);
    return limit > kReservedDescriptors + 1 ? std::min(parallel, limit - kReservedDescriptors) : 1;
}

}  // namespace

FanOut::FanOut(std::vector<std::unique_ptr<Desk>> desks, std::size_t parallel)
    : m_desks(std::move(desks)),
      m_window(WindowFor(parallel)),
      m_thread([this] { Run(); })
{
}

FanOut::~FanOut() { Finish(); }

void FanOut::Post(const OutgoingMessage& message)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] {
        return std::none_of(m_desks.begin(), m_desks.end(),
                            [](const std::unique_ptr<Desk>& desk) { return desk->Crowded(); });
    });
    for (const std::unique_ptr<Desk>& desk : m_desks) desk->Post(message);
    m_posted = true;
    m_changed.notify_all();
}

void FanOut::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_inputEnded) {
            const SendClock::time_point now = SendClock::now();
            for (const std::unique_ptr<Desk>& desk : m_desks) desk->EndInput(now);
        }
        m_inputEnded = true;
        m_posted = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void FanOut::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        const SendClock::time_point now = SendClock::now();
        StartDueTries(now);
        m_changed.notify_all();  // the input may be waiting for room
        if (Done()) return;
        const SendClock::time_point wake = NextWake(now);
        if (m_open.empty()) {
            // Not "forever": some runtimes overflow converting the clock's last moment.
            m_changed.wait_until(lock, std::min(wake, now + kLongestIdleWait),
                                 [this] { return m_posted; });
            m_posted = false;
            continue;
        }
        WaitForOpenTries(wake, lock);
        EndFinishedTries(SendClock::now());
    }
}

void FanOut::StartDueTries(SendClock::time_point now)
{
    const std::size_t count = m_desks.size();
    for (std::size_t seen = 0; seen < count && m_open.size() < m_window; ++seen) {
        Desk& desk = *m_desks[m_nextDesk];
        m_nextDesk = (m_nextDesk + 1) % count;
        if (!desk.Due(now)) continue;
        const OutgoingMessage& message = desk.BeginTry(now);
        auto delivery = std::make_unique<DeliveryTry>(
            desk.Endpoint(), message.bytes, now + std::chrono::seconds(desk.TimeoutSeconds()));
        if (delivery->OutOfSockets() && !m_open.empty()) {
            // The system's limit is lower than it said: this many it is.
            desk.PutBackTry();
            m_window = m_open.size();
            return;
        }
        if (delivery->Finished()) {
            desk.EndTry(delivery->Result(), now);
            continue;
        }
        m_open.push_back(OpenTry{&desk, std::move(delivery)});
    }
}

SendClock::time_point FanOut::NextWake(SendClock::time_point now) const
{
    SendClock::time_point wake = SendClock::time_point::max();
    if (!m_open.empty() && !m_inputEnded) wake = now + kLookForPosts;
    for (const OpenTry& open : m_open) wake = std::min(wake, open.delivery->Deadline());
    // A desk whose try is due but finds no free place waits for one to end.
    if (m_open.size() < m_window) {
        for (const std::unique_ptr<Desk>& desk : m_desks) wake = std::min(wake, desk->NextTryAt());
    }
    return wake;
}

void FanOut::WaitForOpenTries(SendClock::time_point wake, std::unique_lock<std::mutex>& lock)
{
    m_watches.clear();
    for (const OpenTry& open : m_open) m_watches.push_back(open.delivery->Watch());
    const auto milliseconds =
        std::chrono::ceil<std::chrono::milliseconds>(wake - SendClock::now()).count();
    lock.unlock();
    WaitForSockets(m_watches, static_cast<int>(std::clamp<long long>(milliseconds, 0, 60000)));
    lock.lock();
}

void FanOut::EndFinishedTries(SendClock::time_point now)
{
    for (std::size_t i = 0; i < m_open.size();) {
        OpenTry& open = m_open[i];
        open.delivery->Continue(m_watches[i].ready, now);
        if (!open.delivery->Finished()) {
            ++i;
            continue;
        }
        open.desk->EndTry(open.delivery->Result(), now);
        // The last one takes its place, with its watch, so that indexes still match.
        open = std::move(m_open.back());
        m_open.pop_back();
        m_watches[i] = m_watches.back();
        m_watches.pop_back();
    }
}

bool FanOut::Done() const
{
    return m_inputEnded && m_open.empty() &&
           std::all_of(m_desks.begin(), m_desks.end(),
                       [](const std::unique_ptr<Desk>& desk) { return desk->Idle(); });
}
