#include "send/OutcomeText.h"

#include <cstdio>

namespace {

std::string TriesText(const DeliveryAttempts& attempts)
{
    return "gave up after " + std::to_string(attempts.tries) +
           (attempts.tries == 1 ? " try" : " tries") + " in " + SecondsText(attempts.elapsed);
}

}  // namespace

std::string SecondsText(RetryDuration duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

ExitCode ExitCodeFor(DeliveryOutcome outcome)
{
    switch (outcome) {
    case DeliveryOutcome::Delivered: return ExitCode::Delivered;
    case DeliveryOutcome::UnknownHost: return ExitCode::UnknownHost;
    case DeliveryOutcome::Refused: return ExitCode::Refused;
    case DeliveryOutcome::Unreachable: return ExitCode::Unreachable;
    case DeliveryOutcome::TimedOut: return ExitCode::TimedOut;
    case DeliveryOutcome::Reset:
    case DeliveryOutcome::Failed: break;
    }
    return ExitCode::Failed;
}

std::string ShortReason(const DeliveryResult& result, int timeoutSeconds)
{
    const std::string within = " within " + std::to_string(timeoutSeconds) + " s";
    switch (result.outcome) {
    case DeliveryOutcome::Refused: return "connection refused (" + result.detail + ")";
    case DeliveryOutcome::Unreachable: return "host unreachable (" + result.detail + ")";
    case DeliveryOutcome::Reset: return "connection reset, the line not shown (" + result.detail + ")";
    case DeliveryOutcome::TimedOut: return result.detail + within;
    default: return result.detail;
    }
}

std::string GivenUpText(const std::string& message, const std::string& where,
                        const DeliveryAttempts& attempts, int timeoutSeconds)
{
    const DeliveryResult& result = attempts.result;
    // Once the connection was made the receiver has the line, or part of it, and may show
    // it later: a second copy could show it twice.
    if (result.connected && result.outcome != DeliveryOutcome::Reset) {
        std::string text = message + " to " + where + " not confirmed: " +
                           ShortReason(result, timeoutSeconds);
        if (result.outcome == DeliveryOutcome::TimedOut) text += " (busy with another sender?)";
        return text + "; it may still show the line, so it is not sent again";
    }
    std::string text = message + " not delivered to " + where + ": ";
    switch (result.outcome) {
    case DeliveryOutcome::Refused:
        return text + "connection refused (" + TriesText(attempts) +
               "); is the receiver running? (" + result.detail + ")";
    case DeliveryOutcome::Unreachable:
        return text + "host unreachable (" + TriesText(attempts) +
               "): no route to it, or it is switched off (" + result.detail + ")";
    case DeliveryOutcome::Reset:
        return text + "the connection was reset before the line was shown (" +
               TriesText(attempts) + "); did the receiver end? (" + result.detail + ")";
    case DeliveryOutcome::TimedOut:
        return text + "no answer to the connection request within " +
               std::to_string(timeoutSeconds) + " s (" + TriesText(attempts) +
               "): a firewall may drop it silently, or the machine is off";
    default:
        return text + result.detail;
    }
}
