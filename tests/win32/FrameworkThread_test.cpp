// Worker threads: created suspended they wait for ResumeThread, they run with the asked
// priority and stack size, end with the code given to AfxEndThread (or returned), and their
// object deletes itself, closing its thread handle, when they end.

#include <atomic>
#include <utility>

#include <gtest/gtest.h>

#include "framework/WinThread.h"

namespace {

struct ThreadProbe {
    std::atomic<bool> ran{false};
    std::atomic<int> priority{-100};
    std::atomic<std::size_t> stackReserve{0};
    UINT exitCode = 0;
};

// The address space reserved for the calling thread's stack: every region of the
// allocation that holds a local variable.
std::size_t StackReserveOfThisThread()
{
    MEMORY_BASIC_INFORMATION info{};
    int local = 0;
    ::VirtualQuery(&local, &info, sizeof info);
    void* const allocation = info.AllocationBase;
    std::size_t reserved = 0;
    for (char* address = static_cast<char*>(allocation);
         ::VirtualQuery(address, &info, sizeof info) == sizeof info &&
         info.AllocationBase == allocation;
         address += info.RegionSize)
        reserved += info.RegionSize;
    return reserved;
}

UINT EndingProc(LPVOID parameter)
{
    auto* probe = static_cast<ThreadProbe*>(parameter);
    probe->ran = true;
    probe->priority = ::GetThreadPriority(::GetCurrentThread());
    probe->stackReserve = StackReserveOfThisThread();
    AfxEndThread(probe->exitCode);
}

UINT ReturningProc(LPVOID parameter)
{
    auto* probe = static_cast<ThreadProbe*>(parameter);
    probe->ran = true;
    return probe->exitCode;
}

// A handle of our own: the thread object closes its handle when it deletes itself.
HANDLE DuplicateThreadHandle(const CWinThread& thread)
{
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread.m_hThread, ::GetCurrentProcess(), &copy, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

// The safety net for a thread that never ends; a correct thread ends at once.
constexpr DWORD kSafetyLimitMs = 10000;

TEST(FrameworkThread, SuspendedThreadRunsOnlyAfterResumeAndEndsWithItsCode)
{
    ThreadProbe probe;
    probe.exitCode = 4711;
    CWinThread* thread = AfxBeginThread(&EndingProc, &probe, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    HANDLE handle = DuplicateThreadHandle(*thread);
    ASSERT_NE(nullptr, handle);
    const HANDLE own = thread->m_hThread;
    EXPECT_NE(0u, thread->m_nThreadID);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(handle, 0));
    EXPECT_FALSE(probe.ran);

    EXPECT_EQ(1u, thread->ResumeThread());  // it was suspended exactly once
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(handle, kSafetyLimitMs));
    EXPECT_TRUE(probe.ran);
    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeThread(handle, &exitCode));
    EXPECT_EQ(4711u, exitCode);
    // The object deleted itself before the thread ended, closing its own handle.
    EXPECT_FALSE(IsOpenHandle(own));
    ::CloseHandle(handle);
}

TEST(FrameworkThread, ReturnValueOfTheThreadFunctionIsTheExitCode)
{
    ThreadProbe probe;
    probe.exitCode = 23;
    CWinThread* thread = AfxBeginThread(&ReturningProc, &probe, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    HANDLE handle = DuplicateThreadHandle(*thread);
    const HANDLE own = thread->m_hThread;
    thread->ResumeThread();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(handle, kSafetyLimitMs));
    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeThread(handle, &exitCode));
    EXPECT_EQ(23u, exitCode);
    EXPECT_FALSE(IsOpenHandle(own));
    ::CloseHandle(handle);
}

TEST(FrameworkThread, ObjectThatDoesNotDeleteItselfOutlivesItsThread)
{
    ThreadProbe probe;
    probe.exitCode = 5;
    CWinThread* thread = AfxBeginThread(&EndingProc, &probe, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = false;
    thread->ResumeThread();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0),
              ::WaitForSingleObject(thread->m_hThread, kSafetyLimitMs));
    EXPECT_TRUE(IsOpenHandle(thread->m_hThread));
    DWORD exitCode = 0;
    EXPECT_TRUE(::GetExitCodeThread(thread->m_hThread, &exitCode));
    EXPECT_EQ(5u, exitCode);
    delete thread;
}

TEST(FrameworkThread, PriorityIsAppliedBeforeTheThreadRuns)
{
    ThreadProbe probe;
    CWinThread* thread = AfxBeginThread(&EndingProc, &probe, THREAD_PRIORITY_BELOW_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    HANDLE handle = DuplicateThreadHandle(*thread);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, ::GetThreadPriority(handle));
    thread->ResumeThread();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(handle, kSafetyLimitMs));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, probe.priority);
    ::CloseHandle(handle);
}

TEST(FrameworkThread, StackSizeIsApplied)
{
    constexpr UINT kLargeStack = 8u << 20;
    ThreadProbe defaultProbe;
    ThreadProbe largeProbe;
    for (auto [probe, stackSize] : {std::pair<ThreadProbe*, UINT>{&defaultProbe, 0},
                                    std::pair<ThreadProbe*, UINT>{&largeProbe, kLargeStack}}) {
        CWinThread* thread = AfxBeginThread(&EndingProc, probe, THREAD_PRIORITY_NORMAL,
                                            stackSize, CREATE_SUSPENDED);
        ASSERT_NE(nullptr, thread);
        HANDLE handle = DuplicateThreadHandle(*thread);
        thread->ResumeThread();
        ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0),
                  ::WaitForSingleObject(handle, kSafetyLimitMs));
        ::CloseHandle(handle);
    }
    EXPECT_LT(defaultProbe.stackReserve.load(), static_cast<std::size_t>(kLargeStack));
    EXPECT_GE(largeProbe.stackReserve.load(), static_cast<std::size_t>(kLargeStack));
}

TEST(FrameworkThread, ThreadNotAskedToWaitStartsAtOnce)
{
    ThreadProbe probe;
    probe.exitCode = 9;
    HANDLE started = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    struct Context {
        ThreadProbe* probe;
        HANDLE started;
    } context{&probe, started};
    // The object may be gone as soon as AfxBeginThread returns: only the event is used.
    CWinThread* thread = AfxBeginThread(
        [](LPVOID parameter) -> UINT {
            auto* c = static_cast<Context*>(parameter);
            c->probe->ran = true;
            ::SetEvent(c->started);
            return 0;
        },
        &context);
    EXPECT_NE(nullptr, thread);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(started, kSafetyLimitMs));
    EXPECT_TRUE(probe.ran);
    ::CloseHandle(started);
}

}  // namespace
