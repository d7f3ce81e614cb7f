#include "send/TcpDelivery.h"

#include <algorithm>

#include "net/LineProtocol.h"

DeliveryTry::DeliveryTry(const Ipv4Endpoint& endpoint, std::shared_ptr<const std::string> line,
                         Clock::time_point deadline)
    : m_line(std::move(line)), m_deadline(deadline)
{
    m_socket = OpenNonBlockingSocket();
    if (m_socket == kNoSocket) {
        const int error = LastSocketError();
        m_outOfSockets = Classify(error) == SocketError::NoDescriptors;
        Finish(DeliveryOutcome::Failed, "cannot create a socket: " + ErrorText(error));
        return;
    }
    const int error = StartConnect(m_socket, endpoint);
    if (error == 0) {
        m_phase = Phase::Writing;
        m_result.connected = true;
        Write();
    } else if (Classify(error) != SocketError::WouldBlock) {
        FinishWithError(error, "cannot connect: ");
    }
}

DeliveryTry::~DeliveryTry()
{
    if (m_socket != kNoSocket) CloseSocket(m_socket);
}

SocketWatch DeliveryTry::Watch() const
{
    SocketWatch watch;
    watch.socket = m_socket;
    watch.forWriting = m_phase != Phase::AwaitingClose;
    return watch;
}

void DeliveryTry::Continue(bool ready, Clock::time_point now)
{
    if (m_phase == Phase::Connecting) {
        // Asked also when the wait did not say so: some WSAPoll versions never report a
        // failed connect.
        const int error = ConnectOutcome(m_socket);
        if (error != 0 && Classify(error) != SocketError::WouldBlock) {
            FinishWithError(error, "cannot connect: ");
        } else if (error == 0 && ready) {
            m_phase = Phase::Writing;
            m_result.connected = true;
        }
    }
    if (ready && m_phase == Phase::Writing) Write();
    if (ready && m_phase == Phase::AwaitingClose) AwaitClose();
    if (m_phase == Phase::Finished || now < m_deadline) return;
    switch (m_phase) {
    case Phase::Connecting: Finish(DeliveryOutcome::TimedOut, "no answer"); break;
    case Phase::Writing:
        Finish(DeliveryOutcome::TimedOut,
               "the connection was made, but the receiver took no more of the line");
        break;
    default:
        Finish(DeliveryOutcome::TimedOut,
               "the connection was made, but the receiver did not read the line");
    }
}

void DeliveryTry::Write()
{
    const std::string& line = *m_line;
    while (m_written < line.size()) {
        const std::size_t chunk = std::min<std::size_t>(line.size() - m_written, 65536);
        const long count = SendSome(m_socket, line.data() + m_written, chunk);
        if (count <= 0) {
            const int error = LastSocketError();
            if (Classify(error) != SocketError::WouldBlock) {
                FinishWithError(error, "connection lost while sending: ");
            }
            return;
        }
        m_written += static_cast<std::size_t>(count);
    }
    m_phase = Phase::AwaitingClose;
}

void DeliveryTry::AwaitClose()
{
    char discarded[256];
    for (;;) {
        const long count = ReceiveSome(m_socket, discarded, sizeof discarded);
        // The receiver never answers; whatever arrives is not part of the protocol.
        if (count > 0) continue;
        if (count == 0) return EndAtClose();
        const int error = LastSocketError();
        if (Classify(error) != SocketError::WouldBlock) {
            FinishWithError(error, "waiting for the receiver: ");
        }
        return;
    }
}

void DeliveryTry::EndAtClose()
{
    if (const int reset = ResetBehindClose(m_socket)) return FinishWithError(reset, "");
    Finish(DeliveryOutcome::Delivered, "");
}

void DeliveryTry::FinishWithError(int error, const char* doing)
{
    switch (Classify(error)) {
    case SocketError::Reset:
        // A receiver that stops reading at its line limit closes with the rest still
        // unread, which resets the connection after it has shown the line.
        if (m_result.connected && m_line->size() > static_cast<std::size_t>(kMaxLineLength)) {
            return Finish(DeliveryOutcome::Delivered, "");
        }
        return Finish(DeliveryOutcome::Reset, ErrorText(error));
    // A switched-off machine on the local network, a missing route and a firewall that
    // answers "prohibited" all end in "unreachable"; like a refusal, they may pass.
    case SocketError::Refused: return Finish(DeliveryOutcome::Refused, ErrorText(error));
    case SocketError::Unreachable: return Finish(DeliveryOutcome::Unreachable, ErrorText(error));
    case SocketError::TimedOut: return Finish(DeliveryOutcome::TimedOut, ErrorText(error));
    default: return Finish(DeliveryOutcome::Failed, doing + ErrorText(error));
    }
}

void DeliveryTry::Finish(DeliveryOutcome outcome, std::string detail)
{
    m_result.outcome = outcome;
    m_result.detail = std::move(detail);
    m_phase = Phase::Finished;
    if (m_socket != kNoSocket) CloseSocket(m_socket);
    m_socket = kNoSocket;
}
