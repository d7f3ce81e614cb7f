#include "send/DeliveryRetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using ms = std::chrono::milliseconds;

// The policy on a clock of its own: every try takes `tryTime` and ends as the next of
// `outcomes` (the last one repeats).
struct ScriptedTries {
    explicit ScriptedTries(std::vector<DeliveryResult> scripted, ms each = ms(0))
        : outcomes(std::move(scripted)), tryTime(each)
    {
    }

    std::vector<DeliveryResult> outcomes;
    ms tryTime;
    ms now{0};
    std::vector<ms> pauses;

    DeliveryAttempts Run(ms totalWait)
    {
        std::size_t next = 0;
        return DeliverWithRetries(
            totalWait,
            [&] {
                now += tryTime;
                return outcomes[std::min(next++, outcomes.size() - 1)];
            },
            [&] { return now; }, [&](ms pause) { pauses.push_back(pause), now += pause; });
    }
};

const DeliveryResult kRefused{DeliveryOutcome::Refused, "", false};
const DeliveryResult kNoConnection{DeliveryOutcome::TimedOut, "", false};
const DeliveryResult kDelivered{DeliveryOutcome::Delivered, "", true};

TEST(DeliveryRetry, RefusedOrUnmadeConnectionsAreTriedAgainUntilTheWaitIsUsedUp)
{
    // The pauses double up to 2 s; the last one ends at the deadline, where the last try is.
    ScriptedTries refused({kRefused});
    DeliveryAttempts attempts = refused.Run(ms(10000));
    EXPECT_EQ(refused.pauses,
              (std::vector<ms>{ms(100), ms(200), ms(400), ms(800), ms(1600), ms(2000), ms(2000),
                               ms(2000), ms(900)}));
    EXPECT_EQ(attempts.tries, 10);
    EXPECT_EQ(attempts.elapsed, ms(10000));
    EXPECT_EQ(attempts.result.outcome, DeliveryOutcome::Refused);

    // Tries that time out take their time from the wait; one that starts in it still counts.
    ScriptedTries slow({kNoConnection, kNoConnection, kDelivered}, ms(10000));
    attempts = slow.Run(ms(25000));
    EXPECT_EQ(slow.pauses, (std::vector<ms>{ms(100), ms(200)}));
    EXPECT_EQ(attempts.result.outcome, DeliveryOutcome::Delivered);
    EXPECT_EQ(attempts.elapsed, ms(30300));

    ScriptedTries once({kRefused});
    EXPECT_EQ(once.Run(ms(0)).tries, 1);
}

TEST(DeliveryRetry, AConnectionOnceMadeOrAnotherFailureIsNotTriedAgain)
{
    for (const DeliveryResult& result :
         {DeliveryResult{DeliveryOutcome::Failed, "reset while sending", true},
          DeliveryResult{DeliveryOutcome::TimedOut, "no close", true},
          DeliveryResult{DeliveryOutcome::Failed, "network unreachable", false}}) {
        ScriptedTries tries({result});
        EXPECT_EQ(tries.Run(ms(30000)).tries, 1) << result.detail;
    }
}

}  // namespace
