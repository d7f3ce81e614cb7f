#include "send/MessageSender.h"

#include <cstdio>

#include "net/LineProtocol.h"
#include "send/DeliveryRetry.h"
#include "send/MessageEncoder.h"

namespace {

std::string CodePointText(char32_t codePoint)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    return text;
}

std::string TriesText(const DeliveryAttempts& attempts)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", attempts.elapsed.count() / 1000.0);
    return std::to_string(attempts.tries) + (attempts.tries == 1 ? " try" : " tries") + " in " +
           seconds + " s";
}

ExitCode ExitCodeFor(DeliveryOutcome outcome)
{
    switch (outcome) {
    case DeliveryOutcome::Delivered: return ExitCode::Delivered;
    case DeliveryOutcome::UnknownHost: return ExitCode::UnknownHost;
    case DeliveryOutcome::Refused: return ExitCode::Refused;
    case DeliveryOutcome::TimedOut: return ExitCode::TimedOut;
    case DeliveryOutcome::Failed: break;
    }
    return ExitCode::Failed;
}

}  // namespace

MessageSender::MessageSender(const SendOptions& options, const Ipv4Endpoint& endpoint)
    : m_options(options), m_endpoint(endpoint)
{
}

bool MessageSender::Send(const std::string& utf8, bool cut)
{
    ++m_number;
    EncodedMessage message = EncodeMessage(utf8);
    if (!message.validUtf8) {
        Report(ExitCode::InvalidUtf8, "is not valid UTF-8 (byte " +
                                          std::to_string(message.invalidAt + 1) + "); not sent");
        return true;
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
            return true;
        }
        FitToLineLimit(message.bytes);
        Warn("cut to its first " + std::to_string(message.bytes.size()) + " bytes");
    }
    message.bytes += '\n';
    const DeliveryAttempts attempts =
        DeliverWithRetries(std::chrono::seconds(m_options.waitSeconds), [&] {
            return DeliverLine(m_endpoint, message.bytes, m_options.timeoutSeconds);
        });
    const DeliveryResult& result = attempts.result;
    if (result.outcome == DeliveryOutcome::Delivered) return true;
    std::string text = "to " + m_options.host + " port " + std::to_string(m_options.port) + ": ";
    if (result.outcome == DeliveryOutcome::Refused) {
        text += "connection refused (gave up after " + TriesText(attempts) +
                "); is the receiver running? (" + result.detail + ")";
    } else if (WorthAnotherTry(result)) {
        text += "no connection within " + std::to_string(m_options.timeoutSeconds) +
                " s (gave up after " + TriesText(attempts) + ")";
    } else if (result.outcome == DeliveryOutcome::TimedOut) {
        text += result.detail + " within " + std::to_string(m_options.timeoutSeconds) + " s";
    } else {
        text += result.detail;
    }
    // The receiver had the connection: it may show the line, so a second copy is not sent.
    if (result.connected) text += "; not sent again, since it may have been shown";
    Report(ExitCodeFor(result.outcome), "not delivered " + text);
    return false;
}

void MessageSender::Report(ExitCode code, const std::string& text)
{
    std::fprintf(stderr, "tidemark-send: message %d %s\n", m_number, text.c_str());
    if (m_status == ExitCode::Delivered) m_status = code;
}

void MessageSender::Warn(const std::string& text)
{
    std::fprintf(stderr, "tidemark-send: warning: message %d: %s\n", m_number, text.c_str());
}
