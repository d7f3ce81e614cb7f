#include "net/Listener.h"

#include <chrono>
#include <cstddef>
#include <string>

#include "net/ByteOrder.h"
#include "net/LineReader.h"
#include "net/SocketErrorTexts.h"
#include "net/WinsockCodes.h"
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

// Takes the socket out of a shared field, so that nobody else closes it too, and ends it
// the given way; false when the field held none.
bool TakeAndEnd(SocketApi& sockets, std::atomic<SocketHandle>& field,
                void (*end)(SocketApi&, SocketHandle))
{
    const SocketHandle taken = field.exchange(0);
    if (!IsOpen(taken)) {
        return false;
    }
    end(sockets, taken);
    return true;
}

}  // namespace

bool TakeAndCloseSocket(SocketApi& sockets, std::atomic<SocketHandle>& socket)
{
    return TakeAndEnd(sockets, socket, CloseInOrder);
}

void CloseInOrder(SocketApi& sockets, SocketHandle s)
{
    sockets.shutdown(s, kSdSend);
    sockets.closesocket(s);
}

bool TakeAndResetConnection(SocketApi& sockets, std::atomic<SocketHandle>& connection)
{
    return TakeAndEnd(sockets, connection, ResetConnection);
}

void ResetConnection(SocketApi& sockets, SocketHandle connection)
{
    const SocketLinger abortive{1, 0};
    sockets.setsockopt(connection, kSolSocket, kSoLinger, &abortive, sizeof abortive);
    sockets.closesocket(connection);
}

namespace {

const std::string kSocketOk = ", socket ok";
const std::string kBinding = " , binding socket on port ";
const std::string kListening = ", Listening on port ok, wait for contact ....";

// What a failed accept says, and so what comes next.
enum class AcceptFailure {
    OneConnection,    // a sender gave up its connection before it was taken: the next may come
    Repeats,          // it would fail again at once (no buffers, no descriptors): wait a while
    ListenSocketBroken,  // the listening socket itself is gone: open it again after a while
};

AcceptFailure ClassifyAcceptFailure(int acceptError)
{
    switch (acceptError) {
    case kWsaeConnReset:
    case kWsaeConnAborted:
    case kWsaeNotConn:
        return AcceptFailure::OneConnection;
    case kWsaeInval:
    case kWsaeWouldBlock:
    case kWsaeNotSock:
    case kWsaeOpNotSupp:
    case kWsaeNetDown:
        return AcceptFailure::ListenSocketBroken;
    case kWsaeMfile:
    case kWsaeNoBufs:
    default:
        // A code nobody has seen here too: a pause costs little, a loop would not.
        return AcceptFailure::Repeats;
    }
}

// The sockets library as the listener thread started it. It is released once: by the run
// at its end, or by the stop, which takes that duty when it takes the listening socket
// (then the library stays until the thread has ended, never released under a call).
class SocketsLibrary {
public:
    explicit SocketsLibrary(SocketApi& sockets) : m_sockets(sockets) {}
    ~SocketsLibrary() { Release(); }
    SocketsLibrary(const SocketsLibrary&) = delete;
    SocketsLibrary& operator=(const SocketsLibrary&) = delete;

    bool Start() { return m_held = m_sockets.WSAStartup(kWinsockVersion) == 0; }
    void PassToStop() { m_held = false; }
    void Release()
    {
        if (m_held) {
            m_held = false;
            m_sockets.WSACleanup();
        }
    }

private:
    SocketApi& m_sockets;
    bool m_held = false;
};

// The listening socket that the listener thread opened. It lives in the shared field, from
// which the stop may take it at any moment: whichever takes it closes it.
class ListenSocket {
public:
    ListenSocket(SocketApi& sockets, std::atomic<SocketHandle>& field, SocketsLibrary& library)
        : m_sockets(sockets), m_field(field), m_library(library)
    {
    }
    ~ListenSocket() { Close(); }
    ListenSocket(const ListenSocket&) = delete;
    ListenSocket& operator=(const ListenSocket&) = delete;

    // Shared before the run flag is next looked at: either the stop finds it and closes
    // it, or the listener finds the flag cleared.
    void Share(SocketHandle s)
    {
        m_field = s;
        m_held = true;
        m_listening = false;
    }
    void Listening() { m_listening = true; }

    // False when the stop had taken it: the stop then releases the sockets library too.
    bool Close()
    {
        if (!m_held) {
            return true;
        }
        m_held = false;
        const SocketHandle taken = m_field.exchange(0);
        if (!IsOpen(taken)) {
            m_library.PassToStop();
            return false;
        }
        if (m_listening) {
            CloseInOrder(m_sockets, taken);
        } else {
            m_sockets.closesocket(taken);
        }
        return true;
    }

private:
    SocketApi& m_sockets;
    std::atomic<SocketHandle>& m_field;
    SocketsLibrary& m_library;
    bool m_held = false;
    bool m_listening = false;
};

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
        : m_sockets(sockets), m_output(output), m_fields(fields), m_library(sockets),
          m_listenSocket(sockets, fields.m_listenSocket, m_library)
    {
    }

    void Run();

private:
    bool ReportHost();
    bool Listen(Report report);
    Opening OpenListenSocket(Report report);
    void ShowFailure(void (*describe)(SocketApi&, int&, std::string&), const char* prefix);
    void ServeConnections();
    bool GoOnAfterFailedAccept();
    void ServeLine(SocketHandle connection, const std::string& peerText);
    // Where a received line goes: a new top line, or before its address on the top line.
    enum class Showing { NewLine, BeforeAddress };
    void ShowAndClose(std::string line, const std::string& tail, Showing showing);
    void MarkEnded();

    SocketApi& m_sockets;
    MessageListOutput& m_output;
    ListenerFields& m_fields;
    SocketsLibrary m_library;
    ListenSocket m_listenSocket;
    // The status line's first part: the host and its addresses.
    std::string m_hostStatus;
    // The code of the last accept, when it failed: the same failure again, with nothing
    // accepted in between, adds no line.
    int m_lastAcceptError = 0;
};

void ListenerRun::Run()
{
    m_fields.m_bListenerEnded = false;

    if (!m_library.Start()) {
        m_output.AddLine("Error: calling WSAStartup()");
        MarkEnded();
        return;
    }
    if (ReportHost() && Listen(Report::Steps)) {
        ServeConnections();
    }
    m_listenSocket.Close();
    m_library.Release();
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
    m_listenSocket.Share(listenSocket);
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
        return m_listenSocket.Close() ? Opening::Failed : Opening::Stopped;
    }
    if (steps) {
        m_output.AppendToTopLine(kBinding);
    }

    if (m_sockets.listen(listenSocket, kListenBacklog) == kSocketError) {
        if (failures) {
            ShowFailure(DescribeListenError, "error calling listen():\n");
        }
        return m_listenSocket.Close() ? Opening::Failed : Opening::Stopped;
    }
    m_listenSocket.Listening();
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

// Serves one sender at a time until the run flag is cleared. Once the run flag is found
// cleared, nothing more is shown: the window is on its way out. How a connection ends tells
// its sender what became of its line: an orderly close that it was shown, a reset that it
// was not (the sender may then try again). The connection stays in the shared field, where
// the stop takes it and resets it, until its line is about to be shown.
void ListenerRun::ServeConnections()
{
    while (m_fields.m_bRun) {
        SocketAddressIn peer;
        int peerLength = kSocketAddressLength;
        const SocketHandle connection =
            m_sockets.accept(m_fields.m_listenSocket, &peer, &peerLength);
        // Known to the stop before the run flag is looked at: either the stop finds the
        // connection and resets it, or this thread finds the flag cleared.
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
            // Its line is never read: the connection leaves the shared field first, so that
            // the window takes the error line for a whole one, as it takes no line being read.
            TakeAndResetConnection(m_sockets, m_fields.m_connectionSocket);
            if (m_fields.m_bRun) {
                m_output.AddLine("Error calling inet_addr()");
            }
        } else {
            ServeLine(connection, peerText);
        }
        // Still shared: its line was not shown.
        TakeAndResetConnection(m_sockets, m_fields.m_connectionSocket);
    }
    TakeAndResetConnection(m_sockets, m_fields.m_connectionSocket);
}

// Shows the failure, unless it is the last one again. A failure of one sender's connection
// costs the next sender nothing; one that would come again at once is waited out a while,
// and a broken listening socket is replaced. False once the stop has come.
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
    const AcceptFailure failure = ClassifyAcceptFailure(code);
    if (failure == AcceptFailure::OneConnection) {
        return m_fields.m_bRun;
    }
    if (!m_fields.m_pause.Pause(kAcceptRetryPause)) {
        return false;
    }
    if (failure == AcceptFailure::Repeats) {
        return true;
    }
    return m_listenSocket.Close() && Listen(shown ? Report::Failure : Report::Nothing);
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
        ShowAndClose(line, " <- " + peerText, Showing::NewLine);
        return;
    }
    if (!m_output.AddLine(peerText)) {
        return;
    }
    if (end == LineReadEnd::Waiting) {
        end = describingError(ReadLineUntil(m_sockets, connection, m_fields.m_bRun, line,
                                            accepted + std::chrono::milliseconds(kReadDeadline)));
    }
    if (end == LineReadEnd::ReceiveError && m_fields.m_bRun) {
        m_output.AddSocketErrorLine(code, errorText);
    }
    ShowAndClose(line, " <-", Showing::BeforeAddress);
}

// The line's last change, and the connection's end that tells the sender whether it was
// carried out. The connection leaves the shared field first: from here on no recv waits
// on it, and only this thread may close it, as the change turns out.
void ListenerRun::ShowAndClose(std::string line, const std::string& tail, Showing showing)
{
    if (!m_fields.m_bRun) {
        return;
    }
    const SocketHandle connection = m_fields.m_connectionSocket.exchange(0);
    if (!IsOpen(connection)) {
        return;  // the stop has reset it
    }
    DecodeHtmlEntities(line);
    const bool shown = showing == Showing::NewLine ? m_output.AddLine(line + tail)
                                                   : m_output.PrependToTopLine(line + tail);
    if (shown) {
        CloseInOrder(m_sockets, connection);
    } else {
        ResetConnection(m_sockets, connection);
    }
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
