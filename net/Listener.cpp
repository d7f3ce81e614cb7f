#include "net/Listener.h"

#include <chrono>
#include <cstddef>
#include <string>

#include "net/ByteOrder.h"
#include "net/LineReader.h"
#include "net/SocketErrorTexts.h"
#include "text/HtmlEntities.h"

namespace {

constexpr std::uint16_t kWinsockVersion = 0x0101;
constexpr int kHostNameOffered = 64;
constexpr std::size_t kMaxListedAddresses = 10;
constexpr int kListenBacklog = 2;
constexpr std::uint32_t kInaddrAny = 0;
constexpr int kSocketAddressLength = static_cast<int>(sizeof(SocketAddressIn));

using Clock = std::chrono::steady_clock;

bool IsOpen(SocketHandle s)
{
    return s > 0 && s != kInvalidSocket;
}

}  // namespace

bool TakeAndCloseSocket(SocketApi& sockets, std::atomic<SocketHandle>& socket)
{
    const SocketHandle taken = socket.exchange(0);
    if (!IsOpen(taken)) {
        return false;
    }
    sockets.shutdown(taken, kSdSend);
    sockets.closesocket(taken);
    return true;
}

namespace {

const std::string kSocketOk = ", socket ok";
const std::string kBinding = " , binding socket on port ";
const std::string kListening = ", Listening on port ok, wait for contact ....";

// Accept failures that say the listening socket itself is broken, rather than one
// connection (a sender that reset its connection before it was taken, for instance).
bool ListenSocketFailed(int acceptError)
{
    switch (acceptError) {
    case 10022:  // WSAEINVAL: not listening
    case 10035:  // WSAEWOULDBLOCK: no longer blocking
    case 10038:  // WSAENOTSOCK
    case 10045:  // WSAEOPNOTSUPP
    case 10050:  // WSAENETDOWN
        return true;
    default:
        return false;
    }
}

// How an attempt to open the listening socket reports itself: step by step on the status
// line (the first attempt at start), by its failure's line, or not at all.
enum class Report { Steps, Failure, Nothing };
enum class Opening { Listening, Failed, Stopped };

// One run of the listener thread, from set-up to the last flag write. It ends by itself
// only when the sockets library or the host lookup fails at start; otherwise it goes on
// until the stop, through failed accepts and a port that another program holds.
class ListenerRun {
public:
    ListenerRun(SocketApi& sockets, MessageListOutput& output, ListenerFields& fields)
        : m_sockets(sockets), m_output(output), m_fields(fields)
    {
    }

    void Run();

private:
    bool ReportHost();
    bool Listen(Report report);
    Opening OpenListenSocket(Report report);
    void ShowFailure(void (*describe)(SocketApi&, int&, std::string&), const char* prefix);
    bool CloseOwnListenSocket(bool wasListening);
    void ServeConnections();
    bool GoOnAfterFailedAccept();
    void ServeLine(SocketHandle connection, const std::string& peerText);
    void MarkEnded();

    SocketApi& m_sockets;
    MessageListOutput& m_output;
    ListenerFields& m_fields;
    // The status line's first part: the host and its addresses.
    std::string m_hostStatus;
    // Whether this thread still has to release the sockets library it started: the duty
    // passes to the stop when the stop takes the listening socket.
    bool m_libraryHeld = false;
    // Whether the listening socket in the shared field is this thread's to close.
    bool m_listenSocketHeld = false;
    // The code of the last accept, when it failed: the same failure again, with nothing
    // accepted in between, adds no line.
    int m_lastAcceptError = 0;
};

void ListenerRun::Run()
{
    m_fields.m_bListenerEnded = false;

    if (m_sockets.WSAStartup(kWinsockVersion) != 0) {
        m_output.AddLine("Error: calling WSAStartup()");
        MarkEnded();
        return;
    }
    m_libraryHeld = true;
    if (ReportHost() && Listen(Report::Steps)) {
        ServeConnections();
    }
    CloseOwnListenSocket(true);
    if (m_libraryHeld) {
        m_sockets.WSACleanup();
    }
    MarkEnded();
}

// Reports the host and its addresses, which begin the status line at the top of the list.
bool ListenerRun::ReportHost()
{
    char hostName[kHostNameOffered + 1] = {};
    if (m_sockets.gethostname(hostName, kHostNameOffered) != 0) {
        // The buffer may hold part of a name. Winsock looks up the empty name as the
        // local host, which is the name that could not be read.
        hostName[0] = '\0';
    }

    const HostEntry* host = m_sockets.gethostbyname(hostName);
    if (host == nullptr) {
        // The code is read before the first line goes out: adding a line is a window
        // message, which may overwrite the thread's last error.
        int code = 0;
        std::string errorText;
        DescribeHostByNameError(m_sockets, code, errorText);
        m_output.AddLine("error host by name\n");
        m_output.AddSocketErrorLine(code, errorText);
        return false;
    }

    m_hostStatus = "Hostname: " + host->name;
    m_output.AddLine(m_hostStatus);
    for (std::size_t i = 0; i < host->addresses.size() && i < kMaxListedAddresses; ++i) {
        const std::string address = m_sockets.inet_ntoa(host->addresses[i]);
        m_output.AppendToTopLine(", IP:");
        m_output.AppendToTopLine(address);
        m_hostStatus += " , IP: " + address;
    }
    return true;
}

// Opens the listening socket, trying again every little while, quietly, until it listens
// or the stop comes (false). The user is told of the first attempt's failure, and then
// that the listener listens after all: the whole status line once more, on top.
bool ListenerRun::Listen(Report report)
{
    Opening opened = OpenListenSocket(report);
    bool late = report != Report::Steps;
    while (opened == Opening::Failed && m_fields.m_pause.Pause(kListenRetryInterval)) {
        opened = OpenListenSocket(Report::Nothing);
        late = true;
    }
    if (opened != Opening::Listening) {
        return false;
    }
    if (late && report != Report::Nothing) {
        m_output.AddLine(m_hostStatus + " " + kSocketOk + " " + kBinding + " " + kListening);
    }
    return true;
}

Opening ListenerRun::OpenListenSocket(Report report)
{
    const bool steps = report == Report::Steps;
    const bool failures = report != Report::Nothing;
    const SocketHandle listenSocket = m_sockets.socket(kAfInet, kSockStream, kIpprotoTcp);
    if (listenSocket == kInvalidSocket) {
        if (failures) {
            ShowFailure(DescribeSocketError, "");
        }
        return Opening::Failed;
    }
    // Shared before the run flag is next looked at: either the stop finds it and closes
    // it, or this thread finds the flag cleared.
    m_fields.m_listenSocket = listenSocket;
    m_listenSocketHeld = true;
    if (steps) {
        m_output.AppendToTopLine(kSocketOk);
    }

    SocketAddressIn bindAddress;
    bindAddress.family = kAfInet;
    bindAddress.port = HostToNetwork16(m_fields.m_port);
    bindAddress.address = HostToNetwork32(kInaddrAny);
    if (m_sockets.bind(listenSocket, bindAddress, kSocketAddressLength) == kSocketError) {
        if (failures) {
            ShowFailure(DescribeBindError, "error calling bind(): \n");
        }
        return CloseOwnListenSocket(false) ? Opening::Failed : Opening::Stopped;
    }
    if (steps) {
        m_output.AppendToTopLine(kBinding);
    }

    if (m_sockets.listen(listenSocket, kListenBacklog) == kSocketError) {
        if (failures) {
            ShowFailure(DescribeListenError, "error calling listen():\n");
        }
        return CloseOwnListenSocket(false) ? Opening::Failed : Opening::Stopped;
    }
    if (steps) {
        m_output.AppendToTopLine(kListening);
    }
    return Opening::Listening;
}

// Shows a failed call's error line: the prefix, then the explanation of the code it left.
void ListenerRun::ShowFailure(void (*describe)(SocketApi&, int&, std::string&), const char* prefix)
{
    int code = 0;
    std::string errorText = prefix;
    describe(m_sockets, code, errorText);
    m_output.AddSocketErrorLine(code, errorText);
}

// Closes the listening socket this thread opened, unless the stop has taken it: then the
// stop has taken the duty to release the sockets library too, once this thread has ended,
// and this returns false.
bool ListenerRun::CloseOwnListenSocket(bool wasListening)
{
    if (!m_listenSocketHeld) {
        return true;
    }
    m_listenSocketHeld = false;
    const SocketHandle taken = m_fields.m_listenSocket.exchange(0);
    if (!IsOpen(taken)) {
        m_libraryHeld = false;
        return false;
    }
    if (wasListening) {
        m_sockets.shutdown(taken, kSdSend);
    }
    m_sockets.closesocket(taken);
    return true;
}

// Serves one sender at a time until the run flag is cleared. Once the run flag is found
// cleared, nothing more is shown: the window is on its way out.
void ListenerRun::ServeConnections()
{
    while (m_fields.m_bRun) {
        SocketAddressIn peer;
        int peerLength = kSocketAddressLength;
        const SocketHandle connection =
            m_sockets.accept(m_fields.m_listenSocket, &peer, &peerLength);
        // Known to the stop before the run flag is looked at: either the stop finds the
        // connection and closes it, or this thread finds the flag cleared.
        if (IsOpen(connection)) {
            m_fields.m_connectionSocket = connection;
        }
        if (!m_fields.m_bRun) {
            break;
        }
        if (connection == kInvalidSocket) {
            if (!GoOnAfterFailedAccept()) {
                break;
            }
            continue;
        }
        m_lastAcceptError = 0;

        // An address that does not read back belongs to this one connection alone.
        const std::string peerText = m_sockets.inet_ntoa(peer.address);
        if (m_sockets.inet_addr(peerText.c_str()) == kInaddrNone) {
            if (m_fields.m_bRun) {
                m_output.AddLine("Error calling inet_addr()");
            }
        } else {
            ServeLine(connection, peerText);
        }
        TakeAndCloseSocket(m_sockets, m_fields.m_connectionSocket);
    }
    TakeAndCloseSocket(m_sockets, m_fields.m_connectionSocket);
}

// Shows the failure, unless it is the last one again, and pauses; a broken listening
// socket is replaced. False once the stop has come.
bool ListenerRun::GoOnAfterFailedAccept()
{
    int code = 0;
    std::string errorText = "error calling accept():";
    DescribeAcceptError(m_sockets, code, errorText);
    const bool shown = code != m_lastAcceptError;
    if (shown) {
        m_output.AddSocketErrorLine(code, errorText);
    }
    m_lastAcceptError = code;
    if (!m_fields.m_pause.Pause(kAcceptRetryPause)) {
        return false;
    }
    if (!ListenSocketFailed(code)) {
        return true;
    }
    return CloseOwnListenSocket(true) && Listen(shown ? Report::Failure : Report::Nothing);
}

// Reads the sender's one line and shows it with the sender's address, in one change when
// the line is there within a moment. Otherwise the address shows on its own while the
// line is awaited (or above a receive error), and the line then joins it. A line still
// not complete at the read deadline is served as if its sender had closed then. Once the
// run flag is down, neither the line nor an error is shown.
void ListenerRun::ServeLine(SocketHandle connection, const std::string& peerText)
{
    const Clock::time_point accepted = Clock::now();
    std::string line;
    // A failing recv's code is read at once: showing a line is a window message, which
    // may overwrite the thread's last error.
    int code = 0;
    std::string errorText = "error calling recv():\n";
    const auto describingError = [&](LineReadEnd end) {
        if (end == LineReadEnd::ReceiveError) {
            DescribeRecvError(m_sockets, code, errorText);
        }
        return end;
    };

    LineReadEnd end = describingError(
        ReadLineUntil(m_sockets, connection, m_fields.m_bRun, line,
                      accepted + std::chrono::milliseconds(kLineWithAddressWait)));
    if (end == LineReadEnd::LineEnd || end == LineReadEnd::Full ||
        end == LineReadEnd::SenderClosed) {
        if (!m_fields.m_bRun) {
            return;
        }
        DecodeHtmlEntities(line);
        m_output.AddLine(line + " <- " + peerText);
        return;
    }
    m_output.AddLine(peerText);
    if (end == LineReadEnd::Waiting) {
        end = describingError(ReadLineUntil(m_sockets, connection, m_fields.m_bRun, line,
                                            accepted + std::chrono::milliseconds(kReadDeadline)));
    }
    if (!m_fields.m_bRun) {
        return;
    }
    if (end == LineReadEnd::ReceiveError) {
        m_output.AddSocketErrorLine(code, errorText);
    }
    DecodeHtmlEntities(line);
    m_output.PrependToTopLine(line + " <-");
}

// The ended flag goes last: the exit sequence stops waiting as soon as it sees it, and
// the window object holding these fields may be gone right after.
void ListenerRun::MarkEnded()
{
    m_fields.m_pListenerThread = nullptr;
    m_fields.m_bRun = false;
    m_fields.m_bListenerEnded = true;
}

}  // namespace

Listener::Listener(SocketApi& sockets, MessageListOutput& output, ListenerFields fields)
    : m_sockets(sockets), m_output(output), m_fields(fields)
{
}

void Listener::Run()
{
    ListenerRun(m_sockets, m_output, m_fields).Run();
}
