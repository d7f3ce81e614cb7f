#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "net/Listener.h"
#include "net/ListenerLife.h"
#include "support/RecordingMessageList.h"

// The status line's end once the listener waits for senders.
inline const std::string kListening = ", Listening on port ok, wait for contact ....";
// What a served line ends with when its sender is on this machine.
inline const std::string kFromLoopback = " <- 127.0.0.1";

bool EndsWith(const std::string& text, const std::string& end);

// A listener under test, over any socket seam, with the program's own fields and stop
// (ListenerLife) on a thread of the test's. The listener writes to the recording list the
// runner was made with.
class ListenerRunner {
public:
    explicit ListenerRunner(RecordingMessageList& list) : m_list(list) {}
    ~ListenerRunner() { Stop(); }
    ListenerRunner(const ListenerRunner&) = delete;
    ListenerRunner& operator=(const ListenerRunner&) = delete;

    // Stops a listener still running, then runs a new one on `listenPort` over `sockets`,
    // which must outlive that listener's thread.
    void Start(SocketApi& sockets, std::uint16_t listenPort);

    // Another process may take a free port between its look-up and the bind: `start` is
    // tried again, a few times, until the listener gets to listening.
    bool StartUntilListening(const std::function<void()>& start);

    // True once the status line says so; false when the listener ends first.
    bool WaitUntilListening();
    bool WaitUntilEnded();

    // The program's stop: the run flag down, both sockets closed, the thread joined, the
    // sockets library released. Nothing when none runs.
    void Stop();

    std::string TopLine() const;

    // Waits until a sender's line is shown on top, `before` being the number of lines
    // before that sender's address line was added; otherwise says what the top line is.
    std::string WaitForServedLine(std::size_t before);

    // The fields the listener has cleared and set by the time its thread ends.
    void ExpectEndedWithFieldsCleared() const;

    ListenerLife life;
    std::atomic<bool>& run = life.m_bRun;
    std::atomic<bool>& ended = life.m_bListenerEnded;
    std::atomic<SocketHandle>& listenSocket = life.m_listenSocket;
    std::uint16_t& port = life.m_port;

private:
    RecordingMessageList& m_list;
    SocketApi* m_sockets = nullptr;
    int m_threadObject = 0;  // stands for the thread object the window would hold
    std::thread m_listenerThread;
    std::future<void> m_listenerDone;
};
