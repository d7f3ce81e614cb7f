#include "net/Listener.h"

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

// One run of the listener thread, from set-up to the last flag write.
class ListenerRun {
public:
    ListenerRun(SocketApi& sockets, MessageListOutput& output, ListenerFields& fields)
        : m_sockets(sockets), m_output(output), m_fields(fields)
    {
    }

    void Run();

private:
    bool SetUp();
    void CloseUnusedListenSocket();
    void ServeConnections();
    void ServeLine(SocketHandle connection, const std::string& peerText);
    void CloseListenSocket();
    void MarkEnded();

    SocketApi& m_sockets;
    MessageListOutput& m_output;
    ListenerFields& m_fields;
};

void ListenerRun::Run()
{
    m_fields.m_bListenerEnded = false;

    if (m_sockets.WSAStartup(kWinsockVersion) != 0) {
        m_output.AddLine("Error: calling WSAStartup()");
        MarkEnded();
        return;
    }
    if (SetUp()) {
        ServeConnections();
        CloseListenSocket();
    }
    MarkEnded();
}

// Reports the host and its addresses and opens the listening socket, building the status
// line at the top of the list. On failure the sockets library has been released.
bool ListenerRun::SetUp()
{
    char hostName[kHostNameOffered + 1] = {};
    m_sockets.gethostname(hostName, kHostNameOffered);

    const HostEntry* host = m_sockets.gethostbyname(hostName);
    if (host == nullptr) {
        // The code is read before the first line goes out: adding a line is a window
        // message, which may overwrite the thread's last error.
        int code = 0;
        std::string errorText;
        DescribeHostByNameError(m_sockets, code, errorText);
        m_output.AddLine("error host by name\n");
        m_output.AddSocketErrorLine(code, errorText);
        m_sockets.WSACleanup();
        return false;
    }

    m_output.AddLine("Hostname: " + host->name);
    for (std::size_t i = 0; i < host->addresses.size() && i < kMaxListedAddresses; ++i) {
        m_output.AppendToTopLine(", IP:");
        m_output.AppendToTopLine(m_sockets.inet_ntoa(host->addresses[i]));
    }

    const SocketHandle listenSocket = m_sockets.socket(kAfInet, kSockStream, kIpprotoTcp);
    if (listenSocket == kInvalidSocket) {
        int code = 0;
        std::string errorText;
        DescribeSocketError(m_sockets, code, errorText);
        m_output.AddSocketErrorLine(code, errorText);
        m_sockets.WSACleanup();
        m_fields.m_listenSocket = 0;
        return false;
    }
    m_fields.m_listenSocket = listenSocket;
    m_output.AppendToTopLine(", socket ok");

    SocketAddressIn bindAddress;
    bindAddress.family = kAfInet;
    bindAddress.port = HostToNetwork16(m_fields.m_port);
    bindAddress.address = HostToNetwork32(kInaddrAny);
    if (m_sockets.bind(listenSocket, bindAddress, kSocketAddressLength) == kSocketError) {
        int code = 0;
        std::string errorText = "error calling bind(): \n";
        DescribeBindError(m_sockets, code, errorText);
        m_output.AddSocketErrorLine(code, errorText);
        CloseUnusedListenSocket();
        return false;
    }
    m_output.AppendToTopLine(" , binding socket on port ");

    if (m_sockets.listen(listenSocket, kListenBacklog) == kSocketError) {
        int code = 0;
        std::string errorText = "error calling listen():\n";
        DescribeListenError(m_sockets, code, errorText);
        m_output.AddSocketErrorLine(code, errorText);
        CloseUnusedListenSocket();
        return false;
    }
    m_output.AppendToTopLine(", Listening on port ok, wait for contact ....");
    return true;
}

// The stop may have taken the socket already, and with it the duty to release the sockets
// library once this thread has ended: only the thread that takes the handle closes it.
void ListenerRun::CloseListenSocket()
{
    if (TakeAndCloseSocket(m_sockets, m_fields.m_listenSocket)) {
        m_sockets.WSACleanup();
    }
}

void ListenerRun::CloseUnusedListenSocket()
{
    const SocketHandle taken = m_fields.m_listenSocket.exchange(0);
    if (IsOpen(taken)) {
        m_sockets.closesocket(taken);
        m_sockets.WSACleanup();
    }
}

// Serves one sender at a time until the run flag is cleared or accepting fails. Once
// the run flag is found cleared, nothing more is shown: the window is on its way out.
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
            int code = 0;
            std::string errorText = "error calling accept():";
            DescribeAcceptError(m_sockets, code, errorText);
            m_output.AddSocketErrorLine(code, errorText);
            break;
        }

        const std::string peerText = m_sockets.inet_ntoa(peer.address);
        if (m_sockets.inet_addr(peerText.c_str()) == kInaddrNone) {
            if (m_fields.m_bRun) {
                m_output.AddLine("Error calling inet_addr()");
            }
            break;
        }

        ServeLine(connection, peerText);
        TakeAndCloseSocket(m_sockets, m_fields.m_connectionSocket);
    }
    TakeAndCloseSocket(m_sockets, m_fields.m_connectionSocket);
}

// Reads the sender's one line and shows it with the sender's address, in one change when
// the line is there within a moment. Otherwise the address shows on its own while the
// line is awaited (or above a receive error), and the line then joins it. Once the run
// flag is down, neither the line nor an error is shown.
void ListenerRun::ServeLine(SocketHandle connection, const std::string& peerText)
{
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
        ReadLineWithin(m_sockets, connection, m_fields.m_bRun, line, kLineWithAddressWait));
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
        end = describingError(ReadLine(m_sockets, connection, m_fields.m_bRun, line));
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
