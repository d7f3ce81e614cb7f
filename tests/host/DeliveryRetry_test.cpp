#include "send/DeliveryRetry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Pauses = std::vector<long>;

// The pauses of the policy on a clock of its own, every try taking `tryTime` ms and failing.
Pauses PausesOf(const DeliveryResult& failure, long wait, long tryTime = 0)
{
    Pauses pauses;
    RetryDuration now{tryTime};
    RetryDuration pause{0};
    while (NextTry(failure, static_cast<int>(pauses.size()) + 1, RetryDuration(wait) - now, pause)) {
        pauses.push_back(pause.count());
        now += pause + RetryDuration(tryTime);
    }
    return pauses;
}

TEST(DeliveryRetry, OnlyAConnectionNeverMadeOrResetIsTriedAgainWithGrowingPausesWithinTheWait)
{
    // The pauses double up to 2 s; the last one ends at the deadline, with a last try there.
    const DeliveryResult refused{DeliveryOutcome::Refused, "", false};
    EXPECT_EQ(PausesOf(refused, 10000), (Pauses{100, 200, 400, 800, 1600, 2000, 2000, 2000, 900}));
    EXPECT_EQ(PausesOf(refused, 0), Pauses{});
    EXPECT_EQ(PausesOf({DeliveryOutcome::Unreachable, "", false}, 1000), (Pauses{100, 200, 400, 300}));
    // Connects that time out use up the wait: tries at 0, 10.1 and 20.3 s, none at 30.3 s.
    EXPECT_EQ(PausesOf({DeliveryOutcome::TimedOut, "", false}, 25000, 10000), (Pauses{100, 200}));
    // A reset means "not shown", before or after the connection was made.
    EXPECT_EQ(PausesOf({DeliveryOutcome::Reset, "", true}, 1000), (Pauses{100, 200, 400, 300}));
    // Lost or unanswered after the connection was made, or another failure before it.
    EXPECT_EQ(PausesOf({DeliveryOutcome::Failed, "", true}, 30000), Pauses{});
    EXPECT_EQ(PausesOf({DeliveryOutcome::TimedOut, "", true}, 30000), Pauses{});
    EXPECT_EQ(PausesOf({DeliveryOutcome::Failed, "", false}, 30000), Pauses{});
}

}  // namespace
