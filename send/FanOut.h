#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "send/Desk.h"

// Delivers to every desk from one thread: non-blocking connections waited for together,
// at most `parallel` of them open at a time (fewer when the process may not hold so many
// sockets); a desk whose try is due waits for a free place in turn. The input's thread
// posts the messages.
class FanOut {
public:
    FanOut(std::vector<std::unique_ptr<Desk>> desks, std::size_t parallel);
    ~FanOut();
    FanOut(const FanOut&) = delete;
    FanOut& operator=(const FanOut&) = delete;

    // To every desk. Without a spool this waits while a desk has many messages queued,
    // which slows the input down instead of holding it all.
    void Post(const OutgoingMessage& message);

    // The input has ended; waits until everything is delivered or given up.
    void Finish();

private:
    struct OpenTry {
        Desk* desk;
        std::unique_ptr<DeliveryTry> delivery;
    };

    void Run();
    void StartDueTries(SendClock::time_point now);
    SendClock::time_point NextWake(SendClock::time_point now) const;
    void WaitForOpenTries(SendClock::time_point wake, std::unique_lock<std::mutex>& lock);
    void EndFinishedTries(SendClock::time_point now);
    bool Done() const;

    std::vector<std::unique_ptr<Desk>> m_desks;
    std::size_t m_window;
    std::size_t m_nextDesk = 0;  // where the search for a due try begins, in turn
    std::vector<OpenTry> m_open;
    std::vector<SocketWatch> m_watches;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_posted = false;
    bool m_inputEnded = false;
    std::thread m_thread;  // last: it starts once everything else is in place
};
