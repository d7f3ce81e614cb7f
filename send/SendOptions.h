#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/LineProtocol.h"
#include "send/ExitCode.h"

constexpr std::uint16_t kDefaultPort = kTidemarkPort;
constexpr int kDefaultTimeoutSeconds = 10;
constexpr int kDefaultWaitSeconds = 30;
constexpr std::size_t kDefaultSpoolLines = 10000;
// Connections open at a time: plenty for a local network, far below the system's limits.
constexpr std::size_t kDefaultParallel = 256;

struct SendOptions {
    std::vector<std::string> hosts;  // each receiver once, in the order given
    std::uint16_t port = kDefaultPort;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    // How long a message is tried while its connection is refused, unreachable or not made
    // in time, counted from when it was read; 0: one try.
    int waitSeconds = kDefaultWaitSeconds;
    // With a spool, messages that cannot be delivered wait (at most this many per host)
    // instead of being given up; 0: no spool.
    std::size_t spoolLines = 0;
    std::string hostsFile;  // more hosts, one a line ("-": standard input)
    std::size_t parallel = kDefaultParallel;  // connections open at a time, to all hosts
    bool truncate = false;
    bool help = false;
    bool version = false;
    // Without a message the messages are the lines of standard input.
    bool messageGiven = false;
    std::string message;  // the message arguments joined by blanks
};

// The defaults that the environment may give: TIDEMARK_HOST and TIDEMARK_PORT (null: unset).
struct SenderEnvironment {
    const char* host = nullptr;
    const char* port = nullptr;
};

struct ParsedCommandLine {
    SendOptions options;
    ExitCode error = ExitCode::Delivered;
    std::string errorText;  // set when `error` is not Delivered
};

// GNU-style options anywhere before "--", read by getopt_long. The hosts are the words
// before -m MESSAGE, or those of -H, or else the first word, whose followers are the
// message; a comma list names several. A first message word that looks like one more host is refused as a likely
// mistake, unless "--" stands before it.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                                   const SenderEnvironment& environment = {});

// TIDEMARK_HOST and TIDEMARK_PORT of this process.
SenderEnvironment ProcessEnvironment();

// The text of --help: usage, the protocol in three lines, the options and exit codes.
const char* HelpText();
