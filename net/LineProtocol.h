#pragma once

#include <cstdint>

// The one-line protocol that senders and the receiver share: a sender connects to this TCP
// port and sends one line; the receiver keeps at most this many bytes of it.
constexpr std::uint16_t kTidemarkPort = 26112;
constexpr int kMaxLineLength = 8096;
