#pragma once

#include <atomic>
#include <cstdint>

#include "net/ListenerPause.h"
#include "net/SocketApi.h"
#include "text/MessageListOutput.h"

class CWinThread;

// The fields that the listener thread shares with the user-interface thread. They belong
// to the listener's owner; the listener works on them by reference. Each socket handle is
// closed by whichever thread takes it first (an atomic exchange with 0).
struct ListenerFields {
    std::atomic<bool>& m_bRun;
    std::atomic<bool>& m_bListenerEnded;
    std::atomic<SocketHandle>& m_listenSocket;
    const std::uint16_t& m_port;
    std::atomic<CWinThread*>& m_pListenerThread;
    // The connection being served, 0 when there is none.
    std::atomic<SocketHandle>& m_connectionSocket;
    // The listener's pauses, which the stop ends at once.
    ListenerPause& m_pause;
};

// How long a sender's line may take to arrive and still travel to the list together with
// the sender's address, in one change: about as long as the list holds a repaint, so no
// reader notices. A slower sender's address shows on its own while its line is awaited.
constexpr int kLineWithAddressWait = 50;

// How long a sender has for its line, in milliseconds from its accept: a sender that has
// not finished by then is served as if it had closed its connection at that moment, so
// that no silent or stuck sender holds every later one.
constexpr int kReadDeadline = 30000;

// The pause after a failed accept that would fail again at once, before the next: a
// failure that repeats costs little and adds its line once.
constexpr int kAcceptRetryPause = 1000;

// How often a listener that could not open its port (another program holds it) tries again.
constexpr int kListenRetryInterval = 3000;

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

// Shuts down and closes the socket held in `socket`, once: only the thread that takes the
// handle (an atomic exchange with 0) does the work. True when this call took it.
bool TakeAndCloseSocket(SocketApi& sockets, std::atomic<SocketHandle>& socket);
// The orderly close: the sending side shut down, then the socket closed. For a sender's
// connection it says that the line was shown.
void CloseInOrder(SocketApi& sockets, SocketHandle s);

// Closes a sender's connection with a reset, which tells the sender that its line was not
// shown (an orderly close says it was). The taking one of the fields, as above.
bool TakeAndResetConnection(SocketApi& sockets, std::atomic<SocketHandle>& connection);
void ResetConnection(SocketApi& sockets, SocketHandle connection);
