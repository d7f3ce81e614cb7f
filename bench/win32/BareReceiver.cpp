// bare_receiver: the benchmark's baselines. The same protocol as Tidemark's listener on
// port 26112 (one line per connection, at most 8096 bytes, then shutdown and close, backlog
// 2), with nothing else: no window, no list. "byte" reads one byte per recv, as a careful
// receiver must when it never takes what follows the line end; "chunk" reads whatever is
// waiting per recv, the least any receiver can spend on a line.
//
//   bare_receiver byte|chunk

#include <winsock2.h>

#include <cstdio>
#include <cstring>

#include "ListenLikeTidemark.h"
#include "net/LineProtocol.h"

namespace {

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n' || byte == '\0';
}

void ReadLineByteByByte(SOCKET connection)
{
    for (int count = 0; count < kMaxLineLength; ++count) {
        char byte = 0;
        if (recv(connection, &byte, 1, 0) <= 0 || IsLineEnd(byte)) {
            return;
        }
    }
}

void ReadLineInChunks(SOCKET connection)
{
    static char buffer[kMaxLineLength];
    for (int count = 0; count < kMaxLineLength;) {
        const int received = recv(connection, buffer + count, kMaxLineLength - count, 0);
        if (received <= 0) {
            return;
        }
        for (int i = count; i < count + received; ++i) {
            if (IsLineEnd(buffer[i])) {
                return;
            }
        }
        count += received;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const bool chunked = argc > 1 && std::strcmp(argv[1], "chunk") == 0;
    if (argc != 2 || (!chunked && std::strcmp(argv[1], "byte") != 0)) {
        std::fprintf(stderr, "usage: bare_receiver byte|chunk\n");
        return 2;
    }
    const SOCKET listener = ListenLikeTidemark();
    if (listener == INVALID_SOCKET) {
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    for (;;) {
        const SOCKET connection = accept(listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) {
            return 1;
        }
        if (chunked) {
            ReadLineInChunks(connection);
        } else {
            ReadLineByteByByte(connection);
        }
        shutdown(connection, SD_SEND);
        closesocket(connection);
    }
}
