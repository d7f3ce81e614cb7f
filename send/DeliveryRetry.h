#pragma once

#include <chrono>

#include "send/TcpDelivery.h"

// A receiver serves one sender at a time behind a listen queue of two. On Windows a
// connection request that finds the queue full is refused at once, and a receiver that is
// starting or restarting refuses every request; a machine that is being switched on, or a
// network that is coming back, is unreachable for a while. A sender that meets any of
// these waits its turn and tries again, with a pause that grows up to a cap, until its
// total wait is used up.
// A reset also means that the line was not shown (the receiver ended, or stopped before
// showing it), and is tried again the same way. Any other try that reached the receiver
// is not repeated: an orderly close means the line was shown, and after a time-out or a
// failure it may have been, so that a second try could show it twice.

using RetryDuration = std::chrono::milliseconds;

// The pause after the given number of failed tries: 100 ms, doubled each time, at most 2 s.
RetryDuration PauseAfter(int failedTries);

// Whether another try may help: the connection was refused, unreachable, not made in time,
// or reset before the line was shown.
bool WorthAnotherTry(const DeliveryResult& result);

struct DeliveryAttempts {
    DeliveryResult result;  // the last try's
    int tries = 0;
    RetryDuration elapsed{0};  // from the start of the first try to the end of the last
};

// After a failed try, whether another one follows and after which pause: none when another
// try cannot mend the failure or `timeLeft` is used up; no pause reaches beyond that point.
bool NextTry(const DeliveryResult& result, int failedTries, RetryDuration timeLeft,
             RetryDuration& pause);
