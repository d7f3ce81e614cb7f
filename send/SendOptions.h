#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/LineProtocol.h"
#include "send/ExitCode.h"

constexpr std::uint16_t kDefaultPort = kTidemarkPort;
constexpr int kDefaultTimeoutSeconds = 10;
constexpr int kDefaultWaitSeconds = 30;

struct SendOptions {
    std::string host;
    std::uint16_t port = kDefaultPort;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    // How long a refused or timed-out connection is tried again; 0: one try.
    int waitSeconds = kDefaultWaitSeconds;
    bool truncate = false;
    bool help = false;
    bool version = false;
    // Without message arguments the messages are the lines of standard input.
    bool messageGiven = false;
    std::string message;  // the message arguments joined by blanks
};

struct ParsedCommandLine {
    SendOptions options;
    ExitCode error = ExitCode::Delivered;
    std::string errorText;  // set when `error` is not Delivered
};

// Options come before the host; everything after the host is message text, so a message
// may begin with "-". "--" ends the options.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help: usage, the protocol in three lines, the options and exit codes.
const char* HelpText();
