#include "net/LineReader.h"

#include <algorithm>
#include <chrono>

namespace {

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n' || byte == '\0';
}

// How many of the peeked bytes to take: up to and including the first line end, or all.
int BytesToTake(const char* peeked, int count)
{
    const char* end = std::find_if(peeked, peeked + count, IsLineEnd);
    return end == peeked + count ? count : static_cast<int>(end - peeked) + 1;
}

using Clock = std::chrono::steady_clock;

// Peeks at what the sender has sent, waiting for it at most until the deadline, if any.
int Peek(SocketApi& sockets, SocketHandle connection, char* buffer, int length,
         const Clock::time_point* deadline)
{
    if (deadline == nullptr) {
        return sockets.recv(connection, buffer, length, kMsgPeek);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
    return sockets.recvWithin(connection, buffer, length, kMsgPeek,
                              static_cast<int>(std::max<long long>(left.count(), 0)));
}

LineReadEnd Read(SocketApi& sockets, SocketHandle connection, const std::atomic<bool>& run,
                 std::string& line, const Clock::time_point* deadline)
{
    // On the stack: no allocation per connection.
    char buffer[kMaxLineLength];
    int count = static_cast<int>(std::min<std::size_t>(line.size(), kMaxLineLength));
    while (count < kMaxLineLength) {
        const int allowed = kMaxLineLength - count;
        if (!run) {
            return LineReadEnd::Stopped;
        }
        const int peeked = Peek(sockets, connection, buffer, allowed, deadline);
        if (peeked == kNothingInTime) {
            return LineReadEnd::Waiting;
        }
        if (peeked < 0) {  // SOCKET_ERROR
            return LineReadEnd::ReceiveError;
        }
        if (peeked == 0) {
            return LineReadEnd::SenderClosed;
        }
        const int wanted = BytesToTake(buffer, std::min(peeked, allowed));

        if (!run) {
            return LineReadEnd::Stopped;
        }
        // The plain recv may hand over fewer bytes than were peeked; only what it hands
        // over counts, byte by byte, as if each had come in a call of its own.
        const int received = sockets.recv(connection, buffer, wanted, 0);
        if (received < 0) {
            return LineReadEnd::ReceiveError;
        }
        if (received == 0) {
            return LineReadEnd::SenderClosed;
        }
        for (int i = 0; i < std::min(received, wanted); ++i) {
            if (IsLineEnd(buffer[i])) {
                return LineReadEnd::LineEnd;
            }
            line += buffer[i];
            ++count;
        }
    }
    return LineReadEnd::Full;
}

}  // namespace

LineReadEnd ReadLine(SocketApi& sockets, SocketHandle connection,
                     const std::atomic<bool>& run, std::string& line)
{
    return Read(sockets, connection, run, line, nullptr);
}

LineReadEnd ReadLineUntil(SocketApi& sockets, SocketHandle connection,
                          const std::atomic<bool>& run, std::string& line,
                          Clock::time_point deadline)
{
    return Read(sockets, connection, run, line, &deadline);
}
