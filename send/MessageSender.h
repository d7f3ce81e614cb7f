#pragma once

#include <string>

#include "send/FanOut.h"
#include "send/Reporter.h"
#include "send/SendOptions.h"

// Encodes and checks messages one by one, reporting problems on standard error, and hands
// each good one to every receiver.
class MessageSender {
public:
    MessageSender(const SendOptions& options, Reporter& reporter, FanOut& fanOut);

    // `cut` says that the input line was already shortened while being read.
    void Send(const std::string& utf8, bool cut = false);

private:
    void Report(ExitCode code, const std::string& text);
    void Warn(const std::string& text);

    const SendOptions& m_options;
    Reporter& m_reporter;
    FanOut& m_fanOut;
    int m_number = 0;
};
