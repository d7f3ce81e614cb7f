#pragma once

#include <string>

#include "send/ExitCode.h"
#include "send/SendOptions.h"
#include "send/TcpDelivery.h"

// Encodes, checks and delivers messages one by one, reporting problems on standard error,
// and keeps the exit status: the first failure's code, or 0 when everything was delivered.
class MessageSender {
public:
    MessageSender(const SendOptions& options, const Ipv4Endpoint& endpoint);

    // Returns false when the receiver could not be reached, so later messages need not try.
    // `cut` says that the input line was already shortened while being read.
    bool Send(const std::string& utf8, bool cut = false);

    ExitCode Status() const { return m_status; }

private:
    void Report(ExitCode code, const std::string& text);
    void Warn(const std::string& text);

    const SendOptions& m_options;
    Ipv4Endpoint m_endpoint;
    int m_number = 0;
    ExitCode m_status = ExitCode::Delivered;
};
