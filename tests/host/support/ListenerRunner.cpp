#include "support/ListenerRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ListenerRunner::Start(SocketApi& sockets, std::uint16_t listenPort)
{
    Stop();
    m_sockets = &sockets;
    port = listenPort;
    life.m_pListenerThread = reinterpret_cast<CWinThread*>(&m_threadObject);
    run = true;  // as the main window does before the thread gets going
    auto finished = std::make_shared<std::promise<void>>();
    m_listenerDone = finished->get_future();
    // Run() returns instead of ending the thread: the caller ends it, here by returning.
    m_listenerThread = std::thread([this, finished] {
        Listener(*m_sockets, m_list, life.Fields()).Run();
        finished->set_value();
    });
}

bool ListenerRunner::StartUntilListening(const std::function<void()>& start)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        start();
        if (WaitUntilListening()) {
            return true;
        }
    }
    return false;
}

// Polled rather than waited for: a failing set-up ends with a flag, not with a line.
bool ListenerRunner::WaitUntilListening()
{
    for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < 20s;) {
        if (EndsWith(TopLine(), kListening)) {
            return true;
        }
        if (m_listenerDone.wait_for(10ms) == std::future_status::ready) {
            return false;
        }
    }
    return false;
}

bool ListenerRunner::WaitUntilEnded()
{
    return m_listenerDone.wait_for(20s) == std::future_status::ready;
}

void ListenerRunner::Stop()
{
    if (!m_listenerThread.joinable()) {
        return;
    }
    life.ClearRunFlag();
    life.CloseSockets(*m_sockets);
    if (!WaitUntilEnded()) {
        ADD_FAILURE() << "the listener thread did not end after the stop";
        std::abort();  // it would hang the run otherwise
    }
    m_listenerThread.join();
    life.ReleaseSocketsLibrary(*m_sockets);
}

std::string ListenerRunner::TopLine() const
{
    const std::vector<std::string> lines = m_list.Lines();
    return lines.empty() ? std::string() : lines[0];
}

std::string ListenerRunner::WaitForServedLine(std::size_t before)
{
    const bool served = m_list.WaitUntil([&](const std::vector<std::string>& lines) {
        return lines.size() == before + 1 && EndsWith(lines[0], kFromLoopback);
    });
    return served ? TopLine() : "(no line served; top line: " + TopLine() + ")";
}

void ListenerRunner::ExpectEndedWithFieldsCleared() const
{
    EXPECT_TRUE(ended);
    EXPECT_FALSE(run);
    EXPECT_EQ(life.m_pListenerThread.load(), nullptr);
    EXPECT_EQ(listenSocket.load(), 0u);
    EXPECT_EQ(life.m_connectionSocket.load(), 0u);
}
