#include "send/MessageSender.h"

#include <cstdio>

#include "net/LineProtocol.h"
#include "send/MessageEncoder.h"

namespace {

std::string CodePointText(char32_t codePoint)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    return text;
}

}  // namespace

MessageSender::MessageSender(const SendOptions& options, Reporter& reporter, FanOut& fanOut)
    : m_options(options), m_reporter(reporter), m_fanOut(fanOut)
{
}

void MessageSender::Send(const std::string& utf8, bool cut)
{
    const SendClock::time_point readAt = SendClock::now();
    ++m_number;
    EncodedMessage message = EncodeMessage(utf8);
    if (!message.validUtf8) {
        Report(ExitCode::InvalidUtf8, "is not valid UTF-8 (byte " +
                                          std::to_string(message.invalidAt + 1) + "); not sent");
        return;
    }
    if (message.unmappable > 0) {
        Warn(std::to_string(message.unmappable) +
             " character(s) that the receiver cannot show (first " +
             CodePointText(message.firstUnmappable) + ") sent as \"?\"");
    }
    if (!ReceiverShowsAsTyped(message)) {
        Warn("the receiver decodes \"&quot;\", \"&nbsp;\" and the capital forms of \"&amp;\" even "
             "when typed literally: it will show this text differently");
    }
    if (cut || message.bytes.size() > static_cast<std::size_t>(kMaxLineLength)) {
        if (!m_options.truncate) {
            Report(ExitCode::TooLong, "is longer than the 8096 bytes the receiver keeps, once "
                                      "encoded; not sent (--truncate sends its first 8096 bytes)");
            return;
        }
        FitToLineLimit(message.bytes);
        Warn("cut to its first " + std::to_string(message.bytes.size()) + " bytes");
    }
    message.bytes += '\n';
    m_fanOut.Post(OutgoingMessage{
        m_number, std::make_shared<const std::string>(std::move(message.bytes)), readAt});
}

void MessageSender::Report(ExitCode code, const std::string& text)
{
    m_reporter.Fail(code, "message " + std::to_string(m_number) + " " + text);
}

void MessageSender::Warn(const std::string& text)
{
    m_reporter.Say("warning: message " + std::to_string(m_number) + ": " + text);
}
