#include "send/Desk.h"

#include <algorithm>
#include <future>

#include "send/OutcomeText.h"

namespace {

// Without a spool, how many messages may queue for one receiver before the input waits.
constexpr std::size_t kQueuedWithoutSpool = 1000;

RetryDuration Until(SendClock::time_point end)
{
    return std::chrono::duration_cast<RetryDuration>(end - SendClock::now());
}

RetryDuration Since(SendClock::time_point start)
{
    return std::chrono::duration_cast<RetryDuration>(SendClock::now() - start);
}

std::string MessageName(int number) { return "message " + std::to_string(number); }

}  // namespace

Desk::Desk(std::string host, const Ipv4Endpoint& endpoint, const SendOptions& options,
           Reporter& reporter)
    : m_host(std::move(host)), m_endpoint(endpoint), m_options(options), m_reporter(reporter),
      m_thread([this] { Run(); })
{
}

Desk::~Desk() { Finish(); }

void Desk::Post(OutgoingMessage message)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_options.spoolLines == 0) {
        m_changed.wait(lock, [this] { return m_queued.size() < kQueuedWithoutSpool; });
    } else if (m_queued.size() >= m_options.spoolLines) {
        m_reporter.Fail(m_away ? m_awayCode : ExitCode::Failed,
                        MessageName(m_queued.front().number) + " for " + Where() +
                            " dropped: the spool is full (" +
                            std::to_string(m_options.spoolLines) + " messages wait)");
        m_queued.pop_front();
    }
    m_queued.push_back(std::move(message));
    m_changed.notify_all();
}

void Desk::EndInput()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_inputEnded) m_inputEndedAt = SendClock::now();
        m_inputEnded = true;
    }
    m_changed.notify_all();
}

void Desk::Finish()
{
    EndInput();
    if (m_thread.joinable()) m_thread.join();
}

void Desk::Run()
{
    for (;;) {
        OutgoingMessage message;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queued.empty() || m_inputEnded; });
            if (m_queued.empty()) return;
            message = std::move(m_queued.front());
            m_queued.pop_front();
        }
        m_changed.notify_all();
        Deliver(message);
    }
}

void Desk::Deliver(const OutgoingMessage& message)
{
    const SendClock::time_point start = SendClock::now();
    DeliveryResult last;
    const DeliveryAttempts attempts = DeliverWithRetries(
        [&] { return last = DeliverLine(m_endpoint, message.bytes, m_options.timeoutSeconds); },
        [&] { return TimeLeft(message, last); },
        [&] { return Since(start); },
        [&](RetryDuration pause) { Pause(pause); });
    const DeliveryResult& result = attempts.result;

    std::unique_lock<std::mutex> lock(m_mutex);
    const bool wasAway = m_away;
    m_away = false;
    if (result.outcome == DeliveryOutcome::Delivered) {
        if (wasAway) {
            m_reporter.Say(Where() + " is back after " +
                           SecondsText(Since(m_awaySince)) +
                           "; the waiting messages go out");
        }
        return;
    }
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
                                  SecondsText(Since(m_inputEndedAt)) +
                                  " after the input ended");
        return;
    }
    lock.unlock();
    m_reporter.Fail(code, GivenUpText(MessageName(message.number), Where(), attempts,
                                      m_options.timeoutSeconds));
}

RetryDuration Desk::TimeLeft(const OutgoingMessage& message, const DeliveryResult& last)
{
    const RetryDuration wait = std::chrono::seconds(m_options.waitSeconds);
    if (m_options.spoolLines == 0) return Until(message.readAt + wait);
    std::lock_guard<std::mutex> lock(m_mutex);
    // A receiver that is busy for a moment is not worth a word; one that has kept a
    // message longer than -w, which would have been given up without the spool, is.
    if (!m_away && WorthAnotherTry(last) && SendClock::now() >= message.readAt + wait) {
        m_away = true;
        m_awaySince = SendClock::now();
        m_awayCode = ExitCodeFor(last.outcome);
        m_reporter.Say(Where() + ": " + ShortReason(last, m_options.timeoutSeconds) +
                       "; messages wait in the spool (at most " +
                       std::to_string(m_options.spoolLines) + ") until it is back");
    }
    if (!m_inputEnded) return RetryDuration::max();
    return Until(m_inputEndedAt + wait);
}

void Desk::Pause(RetryDuration pause)
{
    // The end of the input sets a limit on a spool's waiting: the pause ends to heed it.
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool ended = m_inputEnded;
    m_changed.wait_for(lock, pause, [&] { return m_inputEnded != ended; });
}

std::string Desk::Where() const { return m_host + " port " + std::to_string(m_options.port); }

std::vector<std::unique_ptr<Desk>> OpenDesks(const SendOptions& options, Reporter& reporter)
{
    std::vector<std::future<std::pair<DeliveryResult, Ipv4Endpoint>>> lookups;
    for (const std::string& host : options.hosts) {
        lookups.push_back(std::async(std::launch::async, [&options, host] {
            Ipv4Endpoint endpoint;
            DeliveryResult result = ResolveIpv4(host, options.port, endpoint);
            return std::make_pair(result, endpoint);
        }));
    }
    std::vector<std::unique_ptr<Desk>> desks;
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        const auto found = lookups[i].get();
        if (found.first.outcome != DeliveryOutcome::Delivered) {
            reporter.Fail(ExitCode::UnknownHost, "unknown host \"" + options.hosts[i] +
                                                     "\": " + found.first.detail);
            continue;
        }
        desks.push_back(std::make_unique<Desk>(options.hosts[i], found.second, options, reporter));
    }
    return desks;
}
