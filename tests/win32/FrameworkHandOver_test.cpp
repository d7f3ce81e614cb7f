// The hand-over: a worker's piece of work runs on the thread that opened it, and the worker
// waits until it has run, also while that thread does not answer; once closed, every call
// is refused at once; a message of the same number from anywhere else runs nothing.

#include <atomic>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "framework/HandOver.h"

namespace {

// A worker that hands one piece of work over and records what became of it.
struct Worker {
    std::atomic<bool> finished{false};
    std::atomic<bool> accepted{false};
    std::atomic<DWORD> ranOnThread{0};
    std::thread thread;

    void HandOver(CHandOver& handOver)
    {
        thread = std::thread([this, &handOver] {
            accepted = handOver.Run([this] { ranOnThread = ::GetCurrentThreadId(); });
            finished = true;
        });
    }
    // Joins the worker; false when it had not finished within the safety limit.
    bool Join()
    {
        const bool done = fwtest::PumpUntil([this] { return finished.load(); });
        thread.join();
        return done;
    }
};

TEST(FrameworkHandOver, WorkerWaitsUntilItsWorkHasRunOnTheOpeningThread)
{
    CHandOver handOver;
    ASSERT_TRUE(handOver.Open());
    Worker worker;
    worker.HandOver(handOver);
    // The window's thread does not answer for a while: the worker stays held.
    ::Sleep(200);
    EXPECT_FALSE(worker.finished);
    EXPECT_EQ(worker.ranOnThread, 0u);
    ASSERT_TRUE(worker.Join());
    EXPECT_TRUE(worker.accepted);
    EXPECT_EQ(worker.ranOnThread, ::GetCurrentThreadId());

    // On the opening thread itself the work runs at once.
    bool ranHere = false;
    EXPECT_TRUE(handOver.Run([&] { ranHere = true; }));
    EXPECT_TRUE(ranHere);
}

TEST(FrameworkHandOver, ClosedRefusesEveryCallAtOnceAndLetsAWaitingCallerGo)
{
    CHandOver handOver;
    ASSERT_TRUE(handOver.Open());
    Worker waiting;
    waiting.HandOver(handOver);
    ::Sleep(100);  // most likely waiting in its message by now; refused before it otherwise
    handOver.Close();
    ASSERT_TRUE(waiting.Join());
    EXPECT_FALSE(waiting.accepted);
    EXPECT_EQ(waiting.ranOnThread, 0u);

    // Refused without this thread answering anything.
    Worker late;
    late.HandOver(handOver);
    late.thread.join();
    EXPECT_FALSE(late.accepted);
    EXPECT_EQ(late.ranOnThread, 0u);
    bool ranHere = false;
    EXPECT_FALSE(handOver.Run([&] { ranHere = true; }));
    EXPECT_FALSE(ranHere);
}

TEST(FrameworkHandOver, MessageOfTheSameNumberFromElsewhereRunsNothing)
{
    CHandOver handOver;
    ASSERT_TRUE(handOver.Open());
    bool ran = false;
    const std::function<void()> work = [&] { ran = true; };
    // Shaped like a handed piece of work: the address of a work item, then its outcome.
    struct {
        const std::function<void()>* work;
        bool done;
    } lookalike{&work, false};
    for (LPARAM lParam : {LPARAM{0}, LPARAM{0x1234}, reinterpret_cast<LPARAM>(&lookalike)}) {
        ::SendMessageA(handOver.Window(), CHandOver::kWorkMessage, 0, lParam);
        ::PostMessageA(handOver.Window(), CHandOver::kWorkMessage, 1, lParam);
    }
    fwtest::PumpUntil([] { return false; }, 100);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(lookalike.done);

    // And the hand-over still works.
    Worker worker;
    worker.HandOver(handOver);
    ASSERT_TRUE(worker.Join());
    EXPECT_TRUE(worker.accepted);
}

}  // namespace
