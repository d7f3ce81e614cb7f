#include "net/LineReader.h"

namespace {

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n' || byte == '\0';
}

}  // namespace

LineReadEnd ReadLine(SocketApi& sockets, SocketHandle connection,
                     const std::atomic<bool>& run, std::string& line)
{
    int count = 0;
    while (count < kMaxLineLength) {
        if (!run) {
            return LineReadEnd::Stopped;
        }
        char byte = 0;
        const int received = sockets.recv(connection, &byte, 1, 0);
        if (received < 0) {  // SOCKET_ERROR
            return LineReadEnd::ReceiveError;
        }
        if (received == 0) {
            return LineReadEnd::SenderClosed;
        }
        if (IsLineEnd(byte)) {
            return LineReadEnd::LineEnd;
        }
        line += byte;
        ++count;
    }
    return LineReadEnd::Full;
}
