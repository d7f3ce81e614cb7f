#include "send/Desk.h"

#include "send/OutcomeText.h"

namespace {

// Without a spool, how many messages may queue for one receiver before the input waits.
constexpr std::size_t kQueuedWithoutSpool = 1000;

RetryDuration Between(SendClock::time_point start, SendClock::time_point end)
{
    return std::chrono::duration_cast<RetryDuration>(end - start);
}

std::string MessageName(int number) { return "message " + std::to_string(number); }

}  // namespace

Desk::Desk(std::string host, const Ipv4Endpoint& endpoint, const SendOptions& options,
           Reporter& reporter)
    : m_host(std::move(host)), m_endpoint(endpoint), m_options(options), m_reporter(reporter)
{
}

bool Desk::Crowded() const
{
    return m_options.spoolLines == 0 && m_queued.size() >= kQueuedWithoutSpool;
}

void Desk::Post(OutgoingMessage message)
{
    // The front message may be on its way; the oldest of those behind it goes.
    const std::size_t onItsWay = m_trying || m_failedTries > 0 ? 1 : 0;
    if (m_options.spoolLines > 0 && m_queued.size() - onItsWay >= m_options.spoolLines) {
        const auto oldest = m_queued.begin() + static_cast<long>(onItsWay);
        m_reporter.Fail(m_away ? m_awayCode : ExitCode::Failed,
                        MessageName(oldest->number) + " for " + Where() +
                            " dropped: the spool is full (" +
                            std::to_string(m_options.spoolLines) + " messages wait)");
        m_queued.erase(oldest);
    }
    m_queued.push_back(std::move(message));
}

void Desk::EndInput(SendClock::time_point now)
{
    if (m_inputEnded) return;
    m_inputEnded = true;
    m_inputEndedAt = now;
    // The end of the input sets a limit on a spool's waiting: a pause ends to heed it.
    if (m_options.spoolLines > 0 && m_nextTryAt > now) m_nextTryAt = now;
}

SendClock::time_point Desk::NextTryAt() const
{
    if (m_queued.empty() || m_trying) return SendClock::time_point::max();
    return m_failedTries == 0 ? SendClock::time_point::min() : m_nextTryAt;
}

const OutgoingMessage& Desk::BeginTry(SendClock::time_point now)
{
    if (m_failedTries == 0) m_firstTryAt = now;
    m_trying = true;
    return m_queued.front();
}

void Desk::EndTry(const DeliveryResult& result, SendClock::time_point now)
{
    m_trying = false;
    if (result.outcome == DeliveryOutcome::Delivered) {
        if (m_away) {
            m_reporter.Say(Where() + " is back after " + SecondsText(Between(m_awaySince, now)) +
                           "; the waiting messages go out");
        }
        m_away = false;
        m_failedTries = 0;
        m_queued.pop_front();
        return;
    }
    ++m_failedTries;
    RetryDuration pause{0};
    if (NextTry(result, m_failedTries, TimeLeft(m_queued.front(), result, now), pause)) {
        m_nextTryAt = now + pause;
        return;
    }
    GiveUp(result, now);
}

void Desk::GiveUp(const DeliveryResult& result, SendClock::time_point now)
{
    const OutgoingMessage message = std::move(m_queued.front());
    m_queued.pop_front();
    const DeliveryAttempts attempts{result, m_failedTries, Between(m_firstTryAt, now)};
    m_failedTries = 0;
    m_away = false;
    const ExitCode code = ExitCodeFor(result.outcome);
    if (m_options.spoolLines > 0 && WorthAnotherTry(result)) {
        // The input has ended and the receiver stayed away for -w more: what waits behind
        // this message would only meet the same.
        const std::size_t behind = m_queued.size();
        m_queued.clear();
        m_reporter.Fail(code, MessageName(message.number) +
                                  (behind > 0 ? " and the " + std::to_string(behind) +
                                                    " behind it"
                                              : std::string()) +
                                  " not delivered to " + Where() + ": " +
                                  ShortReason(result, m_options.timeoutSeconds) +
                                  "; still waiting in the spool " +
                                  SecondsText(Between(m_inputEndedAt, now)) +
                                  " after the input ended");
        return;
    }
    m_reporter.Fail(code, GivenUpText(MessageName(message.number), Where(), attempts,
                                      m_options.timeoutSeconds));
}

RetryDuration Desk::TimeLeft(const OutgoingMessage& message, const DeliveryResult& last,
                             SendClock::time_point now)
{
    const RetryDuration wait = std::chrono::seconds(m_options.waitSeconds);
    if (m_options.spoolLines == 0) return Between(now, message.readAt + wait);
    // A receiver that is busy for a moment is not worth a word; one that has kept a
    // message longer than -w, which would have been given up without the spool, is.
    if (!m_away && WorthAnotherTry(last) && now >= message.readAt + wait) {
        m_away = true;
        m_awaySince = now;
        m_awayCode = ExitCodeFor(last.outcome);
        m_reporter.Say(Where() + ": " + ShortReason(last, m_options.timeoutSeconds) +
                       "; messages wait in the spool (at most " +
                       std::to_string(m_options.spoolLines) + ") until it is back");
    }
    if (!m_inputEnded) return RetryDuration::max();
    return Between(now, m_inputEndedAt + wait);
}

std::string Desk::Where() const { return m_host + " port " + std::to_string(m_options.port); }
