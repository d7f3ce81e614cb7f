// The listener over the program's own Winsock seam and real loopback TCP, as it runs on
// Windows: senders are Winsock clients, the listener has a thread of its own, and the
// test thread plays the main window, with the program's own stop. What the program relies
// on at exit is proven here on every build: closing the listening socket wakes a waiting
// accept, and closing the connection wakes a waiting recv, whoever else holds the library.

#include "net/Listener.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "SilentSenderProcess.h"
#include "WatchedWinsockApi.h"
#include "support/ListenerRunner.h"
#include "support/RecordingMessageList.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const std::string kBindInUse = "Errorcode:10048 :error calling bind(): \n";

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

sockaddr_in Address(std::uint32_t hostAddress, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(hostAddress);
    return address;
}

std::uint16_t BoundPort(SOCKET s)
{
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

// The test program's own hold on the sockets library, apart from the listener's. The
// library is counted: it is only really released when the last hold goes.
class WinsockReference {
public:
    WinsockReference() { m_held = ::WSAStartup(MAKEWORD(2, 2), &m_data) == 0; }
    ~WinsockReference()
    {
        if (m_held) {
            ::WSACleanup();
        }
    }
    WinsockReference(const WinsockReference&) = delete;
    WinsockReference& operator=(const WinsockReference&) = delete;

private:
    WSADATA m_data;
    bool m_held;
};

// A port that nothing listens on right now (never the program's own port).
std::uint16_t FreePort()
{
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = Address(INADDR_LOOPBACK, 0);
    std::uint16_t port = 0;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        port = BoundPort(s);
    }
    ::closesocket(s);
    return port;
}

// Another program that listens on a port of its own choosing, on all addresses.
class PortHolder {
public:
    PortHolder() : m_socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        const sockaddr_in address = Address(INADDR_ANY, 0);
        if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_socket, 1) == 0) {
            m_port = BoundPort(m_socket);
        }
    }
    ~PortHolder() { ::closesocket(m_socket); }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    std::uint16_t Port() const { return m_port; }

private:
    SOCKET m_socket;
    std::uint16_t m_port = 0;
};

// A sender: a Winsock TCP client on 127.0.0.1.
class Sender {
public:
    explicit Sender(std::uint16_t port) : m_socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        const sockaddr_in address = Address(INADDR_LOOPBACK, port);
        m_connected = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        m_error = m_connected ? 0 : ::WSAGetLastError();
    }
    ~Sender() { Close(); }
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    bool Connected() const { return m_connected; }
    int ConnectError() const { return m_error; }

    void Send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = ::send(m_socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    void Close()
    {
        if (m_socket != INVALID_SOCKET) {
            ::closesocket(m_socket);
            m_socket = INVALID_SOCKET;
        }
    }

private:
    SOCKET m_socket;
    bool m_connected = false;
    int m_error = 0;
};

// This program doubles as the silent sender's process; there it goes no further.
const bool kInTestProcess = (SilentSenderProcess::RunIfAsked(), true);

class WinsockListener : public ::testing::Test {
protected:
    WinsockReference winsock;
    std::unique_ptr<WatchedWinsockApi> sockets;
    RecordingMessageList list;
    ListenerRunner listener{list};  // last, so that it stops before the rest goes

    void TearDown() override { listener.Stop(); }

    // Fresh sockets each time, so that every listener's start-ups and releases count alone.
    void StartListener(std::uint16_t listenPort)
    {
        listener.Stop();
        sockets = std::make_unique<WatchedWinsockApi>();
        listener.Start(*sockets, listenPort);
    }

    bool StartListenerOnFreePort()
    {
        return listener.StartUntilListening([this] { StartListener(FreePort()); });
    }

    // Sends `bytes` from a client thread of its own, as another program would, and
    // returns the line the listener shows for it.
    std::string ShownLineFor(const std::string& bytes)
    {
        const std::size_t before = list.Lines().size();
        int connectError = -1;
        std::thread client([&] {
            Sender sender(listener.port);
            connectError = sender.ConnectError();
            sender.Send(bytes);
        });
        const std::string shown = listener.WaitForServedLine(before);
        client.join();
        if (connectError != 0) {
            return "(connect failed with " + std::to_string(connectError) + ")";
        }
        return shown;
    }

    // Gives a call that has just been entered time to block. This only makes the wake-up
    // the likely path; no outcome depends on it.
    static void LetTheCallBlock() { std::this_thread::sleep_for(200ms); }

    void ExpectEndedAndReleasedOnce()
    {
        listener.ExpectEndedWithFieldsCleared();
        EXPECT_EQ(sockets->Startups(), 1);
        EXPECT_EQ(sockets->Cleanups(), 1);
    }

    void ExpectPortNoLongerListens()
    {
        Sender late(listener.port);
        EXPECT_FALSE(late.Connected()) << "port " << listener.port << " still listens";
    }
};

TEST_F(WinsockListener, StatusLineNamesTheHostItsAddressesAndTheSetUp)
{
    ASSERT_TRUE(StartListenerOnFreePort()) << "top line: " << listener.TopLine();

    char name[65] = {};
    ASSERT_EQ(::gethostname(name, 64), 0);
    const hostent* host = ::gethostbyname(name);
    ASSERT_NE(host, nullptr);
    std::string expected = std::string("Hostname: ") + host->h_name;
    for (int i = 0; host->h_addr_list[i] != nullptr && i < 10; ++i) {
        in_addr address;
        std::memcpy(&address, host->h_addr_list[i], sizeof address);
        expected += std::string(" , IP: ") + ::inet_ntoa(address);
    }
    expected += " , socket ok  , binding socket on port  " + kListening;
    EXPECT_EQ(list.Lines(), (Lines{expected}));
}

TEST_F(WinsockListener, ShowsASendersLineDecodedWithItsAddress)
{
    ASSERT_TRUE(StartListenerOnFreePort()) << "top line: " << listener.TopLine();

    EXPECT_EQ(ShownLineFor("Hallo\r\n"), "Hallo" + kFromLoopback);
    EXPECT_EQ(ShownLineFor("Gr&uuml;&szlig;e\n"), "Gr\xFC\xDF" "e" + kFromLoopback);
}

TEST_F(WinsockListener, ClosingTheListeningSocketWakesAWaitingAccept)
{
    ASSERT_TRUE(StartListenerOnFreePort()) << "top line: " << listener.TopLine();
    ASSERT_TRUE(sockets->WaitForAcceptsEntered(1));
    LetTheCallBlock();
    const Lines before = list.Lines();

    // The test keeps its own hold on the sockets library, so the listener's release does
    // not end the library: only the closed listening socket can wake the accept.
    listener.Stop();

    EXPECT_EQ(list.Lines(), before);
    ExpectEndedAndReleasedOnce();
    const WatchedWinsockApi::Wake wake = sockets->LastAccept();
    EXPECT_TRUE(wake.woke);
    EXPECT_EQ(wake.result, kInvalidSocket);
    std::cout << "accept woke with error " << wake.error << "\n";
    ExpectPortNoLongerListens();
}

TEST_F(WinsockListener, StopWakesTheWaitForASilentSenderWhateverElseHoldsTheLibrary)
{
    ASSERT_TRUE(StartListenerOnFreePort()) << "top line: " << listener.TopLine();
    SilentSenderProcess silent(listener.port);
    ASSERT_TRUE(silent.Started());
    ASSERT_TRUE(list.WaitForTopLine("127.0.0.1")) << "sender's exit code " << silent.ExitCode();
    ASSERT_TRUE(sockets->WaitForRecvsEntered(2));  // the short wait, then the one to the deadline
    LetTheCallBlock();
    const Lines before = list.Lines();

    // The test keeps its own hold on the sockets library, as a component loaded into the
    // program may: only the closed connection can wake the wait.
    const auto stopping = std::chrono::steady_clock::now();
    listener.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);

    EXPECT_EQ(list.Lines(), before);
    ExpectEndedAndReleasedOnce();
    const WatchedWinsockApi::Wake wake = sockets->LastRecv();
    EXPECT_TRUE(wake.woke);
    EXPECT_EQ(static_cast<int>(wake.result), kSocketError);
    EXPECT_EQ(silent.ExitCode(), STILL_ACTIVE) << "the sender left: its leaving may have woken the recv";
    std::cout << "recv woke with error " << wake.error << "\n";
    ExpectPortNoLongerListens();
}

// The listener waits for the port to come free; the stop ends that wait at once.
TEST_F(WinsockListener, PortHeldByAnotherProgramShowsTheBindErrorAndTheStopEndsTheRetries)
{
    PortHolder holder;
    ASSERT_NE(holder.Port(), 0);

    StartListener(holder.Port());
    ASSERT_TRUE(list.WaitUntil([](const Lines& lines) { return lines.size() == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(kListenRetryInterval + 500));
    const auto stopping = std::chrono::steady_clock::now();
    listener.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);

    const Lines lines = list.Lines();
    ASSERT_EQ(lines.size(), 2u) << "the failure is shown once, not at each try";
    EXPECT_TRUE(StartsWith(lines[0], kBindInUse)) << lines[0];
    EXPECT_GT(lines[0].size(), kBindInUse.size()) << "the code's explanation is missing";
    EXPECT_TRUE(EndsWith(lines[1], " , socket ok")) << lines[1];
    ExpectEndedAndReleasedOnce();

    // The listener closed only its own socket: the other program still listens.
    Sender sender(holder.Port());
    EXPECT_TRUE(sender.Connected()) << "connect error " << sender.ConnectError();
}

}  // namespace
