#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "net/Listener.h"
#include "net/SocketApi.h"

// The listener thread's life as its owner sees it: the fields both threads share, and the
// stop. Stopping never depends on a sender nor on who else holds the sockets library: the
// run flag goes down first, so that the woken listener ends without a word; then both of
// its sockets are taken from it and closed, which wakes a waiting accept or recv (the
// connection with a reset: its line is not shown, and its sender learns so); and only
// once the listener has ended is the sockets library released, never under a call. The
// run flag going down also ends the listener's pause at once.
class ListenerLife : public ListenerPause {
public:
    ListenerLife() = default;
    ListenerLife(const ListenerLife&) = delete;
    ListenerLife& operator=(const ListenerLife&) = delete;

    ListenerFields Fields()
    {
        return ListenerFields{m_bRun, m_bListenerEnded, m_listenSocket, m_port,
                              m_pListenerThread, m_connectionSocket, *this};
    }

    // The stop, step by step: the owner waits for the listener's end between the last two.
    void ClearRunFlag();
    void CloseSockets(SocketApi& sockets);
    void ReleaseSocketsLibrary(SocketApi& sockets);

    std::atomic<CWinThread*> m_pListenerThread{nullptr};
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bListenerEnded{true};
    std::atomic<SocketHandle> m_listenSocket{0};
    std::atomic<SocketHandle> m_connectionSocket{0};
    std::uint16_t m_port = 0;  // set by the owner's start-up

    bool Pause(int milliseconds) override;

    // Whether the listener holds a sender's connection, whose line it is still reading: its
    // changes of the list until then (the sender's address) are pieces of that line. It
    // gives the connection up just before the line's last change, and waits for each change.
    bool IsReadingLine() const { return m_connectionSocket != 0; }

private:
    // The run flag goes down under this lock, so that a pause cannot miss it.
    std::mutex m_pauseMutex;
    std::condition_variable m_runCleared;
    // Set when the stop took the listening socket, and with it the listener's duty to
    // release the sockets library it started.
    bool m_libraryToRelease = false;
};
