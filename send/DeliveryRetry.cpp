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
    if (result.outcome == DeliveryOutcome::Reset) return true;
    return !result.connected && (result.outcome == DeliveryOutcome::Refused ||
                                 result.outcome == DeliveryOutcome::Unreachable ||
                                 result.outcome == DeliveryOutcome::TimedOut);
}

bool NextTry(const DeliveryResult& result, int failedTries, RetryDuration timeLeft,
             RetryDuration& pause)
{
    if (!WorthAnotherTry(result) || timeLeft <= RetryDuration::zero()) return false;
    pause = std::min(PauseAfter(failedTries), timeLeft);
    return true;
}
