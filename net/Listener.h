#pragma once

#include <atomic>
#include <cstdint>

#include "net/SocketApi.h"
#include "text/MessageListOutput.h"

class CWinThread;

// The main window's fields that the listener thread shares with the user-interface
// thread. They stay members of the window; the listener works on them by reference.
struct ListenerFields {
    std::atomic<bool>& m_bRun;
    std::atomic<bool>& m_bListenerEnded;
    std::atomic<SocketHandle>& m_listenSocket;
    const std::uint16_t& m_port;
    std::atomic<CWinThread*>& m_pListenerThread;
};

// The listener thread's whole algorithm: set-up, the accept loop serving one line per
// connection, and the end steps up to the last flag write. Ending the thread itself is
// left to the caller, which must do nothing else after Run() returns.
class Listener {
public:
    Listener(SocketApi& sockets, MessageListOutput& output, ListenerFields fields);
    void Run();

private:
    SocketApi& m_sockets;
    MessageListOutput& m_output;
    ListenerFields m_fields;
};

// Shuts down and closes the listening socket and releases the sockets library, once:
// whichever thread takes the handle first (an atomic exchange with 0) does the work.
void ReleaseListenSocket(SocketApi& sockets, std::atomic<SocketHandle>& listenSocket);
