#pragma once

#include <chrono>
#include <functional>

#include "send/TcpDelivery.h"

// A receiver serves one sender at a time behind a listen queue of two. On Windows a
// connection request that finds the queue full is refused at once, and a receiver that is
// starting or restarting refuses every request; a machine that is being switched on, or a
// network that is coming back, is unreachable for a while. A sender that meets any of
// these waits its turn and tries again, with a pause that grows up to a cap, until its
// total wait is used up.
// Only a try that never reached the receiver is repeated; once a connection was made, the
// line may have been shown, and a second try could show it twice.

using RetryDuration = std::chrono::milliseconds;

// The pause after the given number of failed tries: 100 ms, doubled each time, at most 2 s.
RetryDuration PauseAfter(int failedTries);

// Whether another try may help: the connection was refused, unreachable or not made in time.
bool WorthAnotherTry(const DeliveryResult& result);

struct DeliveryAttempts {
    DeliveryResult result;  // the last try's
    int tries = 0;
    RetryDuration elapsed{0};  // from the start of the first try to the end of the last
};

// Tries `deliver` until it succeeds, fails in a way that another try cannot mend, or its
// time is used up: after each failed try `timeLeft` says how much longer to go on (no
// pause reaches beyond that point; none left makes that try the last), and may move
// while the tries go on. `elapsed` reads the time since the first try began and `pause`
// waits, so that the policy can run on a clock of its own.
DeliveryAttempts DeliverWithRetries(const std::function<DeliveryResult()>& deliver,
                                    const std::function<RetryDuration()>& timeLeft,
                                    const std::function<RetryDuration()>& elapsed,
                                    const std::function<void(RetryDuration)>& pause);
