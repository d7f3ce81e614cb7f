#pragma once

// The sender's exit status: 0 only when every message was delivered; each kind of failure
// has a code of its own so that scripts can tell them apart. When several fail (several
// messages, several hosts), the highest code is the exit status.
enum class ExitCode : int {
    Delivered = 0,
    Failed = 1,        // a failure not listed below (socket set-up, connection lost, input)
    Usage = 2,         // unknown option, missing host, bad time-out
    BadPort = 3,
    UnknownHost = 4,
    Refused = 5,       // nothing listens there, or a firewall rejects the request
    TimedOut = 6,      // no answer (a firewall that drops), or the line not read in time
    InvalidUtf8 = 7,
    TooLong = 8,       // longer than the receiver keeps, and --truncate not given
    Unreachable = 9,   // no route to the host or its network, or the host does not answer
};

inline ExitCode WorseOf(ExitCode a, ExitCode b) { return a < b ? b : a; }
