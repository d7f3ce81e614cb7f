#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "send/DeliveryRetry.h"
#include "send/Reporter.h"
#include "send/SendOptions.h"
#include "send/TcpDelivery.h"

using SendClock = std::chrono::steady_clock;

struct OutgoingMessage {
    int number = 0;
    // As they go on the wire, line end included; one copy for all receivers.
    std::shared_ptr<const std::string> bytes;
    SendClock::time_point readAt;
};

// One receiver's messages and where their delivery stands. Its messages go out in order,
// one try at a time; a message is tried until -w has passed since it was read (at least
// once), then reported and given up; with a spool it waits instead, with those behind it,
// until the receiver is back, and only the end of the input puts a limit (-w more) on the
// waiting. It owns no thread and no socket: the fan-out runs its tries.
class Desk {
public:
    Desk(std::string host, const Ipv4Endpoint& endpoint, const SendOptions& options,
         Reporter& reporter);

    const Ipv4Endpoint& Endpoint() const { return m_endpoint; }
    int TimeoutSeconds() const { return m_options.timeoutSeconds; }

    // Without a spool, whether the input should wait before it posts more.
    bool Crowded() const;
    // With a spool, a full one drops its oldest message.
    void Post(OutgoingMessage message);
    // The input has ended: what is queued is delivered or given up.
    void EndInput(SendClock::time_point now);

    // Whether its next try is due, and when it will be (max: nothing to try).
    bool Due(SendClock::time_point now) const { return !m_trying && NextTryAt() <= now; }
    SendClock::time_point NextTryAt() const;
    bool Idle() const { return m_queued.empty() && !m_trying; }

    // The front message's try begins, and ends with `result`.
    const OutgoingMessage& BeginTry(SendClock::time_point now);
    void EndTry(const DeliveryResult& result, SendClock::time_point now);
    // The try could not begin for want of a socket; it waits for one.
    void PutBackTry() { m_trying = false; }

private:
    RetryDuration TimeLeft(const OutgoingMessage& message, const DeliveryResult& last,
                           SendClock::time_point now);
    void GiveUp(const DeliveryResult& result, SendClock::time_point now);
    std::string Where() const;

    const std::string m_host;
    const Ipv4Endpoint m_endpoint;
    const SendOptions& m_options;
    Reporter& m_reporter;

    std::deque<OutgoingMessage> m_queued;  // the front one is being delivered
    bool m_trying = false;
    int m_failedTries = 0;               // of the front message
    SendClock::time_point m_firstTryAt;  // of the front message
    SendClock::time_point m_nextTryAt;
    bool m_inputEnded = false;
    SendClock::time_point m_inputEndedAt;
    bool m_away = false;  // with a spool: the receiver is not reachable at the moment
    SendClock::time_point m_awaySince;
    ExitCode m_awayCode = ExitCode::Failed;  // what keeps it away
};
