#include "net/ListenerLife.h"

#include <chrono>

void ListenerLife::ClearRunFlag()
{
    {
        std::lock_guard<std::mutex> lock(m_pauseMutex);
        m_bRun = false;
    }
    m_runCleared.notify_all();
}

bool ListenerLife::Pause(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    return !m_runCleared.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !m_bRun; });
}

void ListenerLife::CloseSockets(SocketApi& sockets)
{
    if (TakeAndCloseSocket(sockets, m_listenSocket)) {
        m_libraryToRelease = true;
    }
    // A line being read when the stop came is not shown: its sender learns so.
    TakeAndResetConnection(sockets, m_connectionSocket);
}

void ListenerLife::ReleaseSocketsLibrary(SocketApi& sockets)
{
    if (m_libraryToRelease) {
        m_libraryToRelease = false;
        sockets.WSACleanup();
    }
}
