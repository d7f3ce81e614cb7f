#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "net/LineProtocol.h"
#include "net/SocketApi.h"

// Why reading a line stopped.
enum class LineReadEnd {
    LineEnd,       // CR, LF or a zero byte arrived; it is not part of the line
    Full,          // kMaxLineLength bytes are stored
    SenderClosed,  // recv returned 0
    ReceiveError,  // recv failed; the caller reads the error code at once
    Stopped,       // the run flag was found cleared before a recv
    Waiting,       // the line was not complete by the deadline (ReadLineUntil)
};

// Reads one line from a connection, appending to `line` (bytes already in it count towards
// the limit). Each round waits for data with a
// peeking recv of at most the bytes the line may still take, then takes with a plain recv
// exactly the bytes up to and including the first line end, or all the peeked bytes when
// there is none. So a line costs two calls, and nothing after its line end (or after its
// last storable byte) ever leaves the connection: the sender's close looks as it would
// with one byte per recv. The run flag is tested before every recv, so that a stop
// request is seen between calls.
LineReadEnd ReadLine(SocketApi& sockets, SocketHandle connection,
                     const std::atomic<bool>& run, std::string& line);

// ReadLine that waits for the sender's bytes until `deadline` at most. When the line is
// not complete by then it returns Waiting: the bytes taken so far are in `line`, and a
// later read goes on from there. A sender that has its line out at once is served without
// a moment's wait.
LineReadEnd ReadLineUntil(SocketApi& sockets, SocketHandle connection,
                          const std::atomic<bool>& run, std::string& line,
                          std::chrono::steady_clock::time_point deadline);
