#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "send/SocketCalls.h"

// Reset: the connection was reset before the receiver showed the line (it ended, or stopped
// before showing it); the line was not shown.
enum class DeliveryOutcome { Delivered, UnknownHost, Refused, Unreachable, TimedOut, Reset, Failed };

struct DeliveryResult {
    DeliveryOutcome outcome = DeliveryOutcome::Delivered;
    std::string detail;  // what went wrong, for the error message
    // The receiver accepted the connection: from then on it may have shown the line.
    bool connected = false;
};

// One try to deliver a line: opens a connection, writes the line and waits until the
// receiver closes the connection, its only sign of having shown the line. Connecting,
// writing and waiting share one deadline. A reset means the line was not shown, except
// for a line longer than the receiver keeps: the unread rest of it resets the connection
// after the line was shown. It never blocks: the caller waits for Watch() to be ready,
// for many tries at once, and calls Continue().
class DeliveryTry {
public:
    using Clock = std::chrono::steady_clock;

    DeliveryTry(const Ipv4Endpoint& endpoint, std::shared_ptr<const std::string> line,
                Clock::time_point deadline);
    ~DeliveryTry();
    DeliveryTry(const DeliveryTry&) = delete;
    DeliveryTry& operator=(const DeliveryTry&) = delete;

    // No socket could be had: the process holds as many as it may.
    bool OutOfSockets() const { return m_outOfSockets; }
    bool Finished() const { return m_phase == Phase::Finished; }
    const DeliveryResult& Result() const { return m_result; }
    Clock::time_point Deadline() const { return m_deadline; }

    SocketWatch Watch() const;
    // Goes on as far as it can without waiting once its socket is `ready`; after the
    // deadline, ends the try.
    void Continue(bool ready, Clock::time_point now);

private:
    enum class Phase { Connecting, Writing, AwaitingClose, Finished };

    void Finish(DeliveryOutcome outcome, std::string detail);
    void FinishWithError(int error, const char* doing);
    void Write();
    void AwaitClose();
    void EndAtClose();

    std::shared_ptr<const std::string> m_line;
    Clock::time_point m_deadline;
    NativeSocket m_socket = kNoSocket;
    Phase m_phase = Phase::Connecting;
    std::size_t m_written = 0;
    bool m_outOfSockets = false;
    DeliveryResult m_result;
};
