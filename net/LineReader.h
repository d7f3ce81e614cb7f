#pragma once

#include <atomic>
#include <string>

#include "net/SocketApi.h"

// The most bytes a received line may hold; reading stops once this many are stored.
constexpr int kMaxLineLength = 8096;

// Why reading a line stopped.
enum class LineReadEnd {
    LineEnd,       // CR, LF or a zero byte arrived; it is not part of the line
    Full,          // kMaxLineLength bytes are stored
    SenderClosed,  // recv returned 0
    ReceiveError,  // recv failed; the caller reads the error code at once
    Stopped,       // the run flag was found cleared before a recv
};

// Reads one line from a connection, one byte per recv, appending to `line`. One byte at
// a time so that nothing after the line end is ever taken from the connection. The run
// flag is tested before every recv, so that a stop request is seen between bytes.
LineReadEnd ReadLine(SocketApi& sockets, SocketHandle connection,
                     const std::atomic<bool>& run, std::string& line);
