#pragma once

// The sender's exit status: 0 only when every message was delivered; each kind of failure
// has a code of its own so that scripts can tell them apart.
enum class ExitCode : int {
    Delivered = 0,
    Failed = 1,        // a failure not listed below (socket set-up, connection lost, input)
    Usage = 2,         // unknown option, missing host, bad time-out
    BadPort = 3,
    UnknownHost = 4,
    Refused = 5,
    TimedOut = 6,
    InvalidUtf8 = 7,
    TooLong = 8,       // longer than the receiver keeps, and --truncate not given
};
