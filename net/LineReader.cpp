#include "net/LineReader.h"

#include <algorithm>

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

}  // namespace

LineReadEnd ReadLine(SocketApi& sockets, SocketHandle connection,
                     const std::atomic<bool>& run, std::string& line)
{
    // On the stack: no allocation per connection.
    char buffer[kMaxLineLength];
    int count = 0;
    while (count < kMaxLineLength) {
        const int allowed = kMaxLineLength - count;
        if (!run) {
            return LineReadEnd::Stopped;
        }
        const int peeked = sockets.recv(connection, buffer, allowed, kMsgPeek);
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
