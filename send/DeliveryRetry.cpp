#include "send/DeliveryRetry.h"

#include <algorithm>

namespace {

constexpr RetryDuration kFirstPause{100};
constexpr RetryDuration kLongestPause{2000};

}  // namespace

RetryDuration PauseAfter(int failedTries)
{
    RetryDuration pause = kFirstPause;
    for (int i = 1; i < failedTries && pause < kLongestPause; ++i) pause *= 2;
    return std::min(pause, kLongestPause);
}

bool WorthAnotherTry(const DeliveryResult& result)
{
    return !result.connected && (result.outcome == DeliveryOutcome::Refused ||
                                 result.outcome == DeliveryOutcome::Unreachable ||
                                 result.outcome == DeliveryOutcome::TimedOut);
}

DeliveryAttempts DeliverWithRetries(const std::function<DeliveryResult()>& deliver,
                                    const std::function<RetryDuration()>& timeLeft,
                                    const std::function<RetryDuration()>& elapsed,
                                    const std::function<void(RetryDuration)>& pause)
{
    DeliveryAttempts attempts;
    for (;;) {
        attempts.result = deliver();
        ++attempts.tries;
        attempts.elapsed = elapsed();
        const RetryDuration left = timeLeft();
        if (!WorthAnotherTry(attempts.result) || left <= RetryDuration::zero()) break;
        pause(std::min(PauseAfter(attempts.tries), left));
    }
    return attempts;
}
