#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "send/DeliveryRetry.h"
#include "send/Reporter.h"
#include "send/SendOptions.h"
#include "send/TcpDelivery.h"

using SendClock = std::chrono::steady_clock;

struct OutgoingMessage {
    int number = 0;
    std::string bytes;  // as they go on the wire, line end included
    SendClock::time_point readAt;
};

// One receiver. Its messages go out in order on a thread of its own, so that a slow or
// absent receiver holds up no other. A message is tried until -w has passed since it was
// read (at least once), then reported and given up; with a spool it waits instead, with
// those behind it, until the receiver is back, and only the end of the input puts a limit
// (-w more) on the waiting.
class Desk {
public:
    Desk(std::string host, const Ipv4Endpoint& endpoint, const SendOptions& options,
         Reporter& reporter);
    ~Desk();
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    // Without a spool this waits while many messages are queued, which slows the input
    // down instead of holding it all; with one, a full spool drops its oldest message.
    void Post(OutgoingMessage message);

    // The input has ended: what is queued is delivered or given up.
    void EndInput();

    // The same, and waits until that is done.
    void Finish();

private:
    void Run();
    void Deliver(const OutgoingMessage& message);
    RetryDuration TimeLeft(const OutgoingMessage& message, const DeliveryResult& last);
    void Pause(RetryDuration pause);
    std::string Where() const;

    const std::string m_host;
    const Ipv4Endpoint m_endpoint;
    const SendOptions& m_options;
    Reporter& m_reporter;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<OutgoingMessage> m_queued;
    bool m_inputEnded = false;
    SendClock::time_point m_inputEndedAt;
    bool m_away = false;  // with a spool: the receiver is not reachable at the moment
    SendClock::time_point m_awaySince;
    ExitCode m_awayCode = ExitCode::Failed;  // what keeps it away
    std::thread m_thread;  // last: it starts once everything else is in place
};

// Looks up all hosts at once. An unknown host is reported (exit status 4) and left out.
std::vector<std::unique_ptr<Desk>> OpenDesks(const SendOptions& options, Reporter& reporter);
