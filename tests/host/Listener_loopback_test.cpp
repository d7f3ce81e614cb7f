// The listener over real loopback TCP: senders are real clients, the listener runs on a
// thread of its own, and the test thread plays the main window (its fields and its exit).

#include "net/Listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/LineProtocol.h"
#include "support/ListenerRunner.h"
#include "support/PosixSocketApi.h"
#include "support/RecordingMessageList.h"

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

sockaddr_in LoopbackAddress(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port that nothing listens on right now (never the program's own port).
std::uint16_t FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A sender: a TCP client on 127.0.0.1.
class Sender {
public:
    explicit Sender(std::uint16_t port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        const sockaddr_in address = LoopbackAddress(port);
        m_connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        m_error = errno;
    }
    ~Sender() { Close(); }
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    bool Connected() const { return m_connected; }
    int ConnectError() const { return m_error; }

    // The receiver may close with bytes unread; what it did not take is simply lost.
    void Send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    // How the receiver ended the connection: an orderly close tells that the line was shown.
    std::string Ending()
    {
        char byte = 0;
        const ssize_t n = ::recv(m_fd, &byte, 1, 0);
        return n == 0 ? "closed" : n < 0 && errno == ECONNRESET ? "reset" : "recv " + std::to_string(n);
    }

    void Close()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
    bool m_connected = false;
    int m_error = 0;
};

class LoopbackListener : public ::testing::Test {
protected:
    std::unique_ptr<PosixSocketApi> sockets;
    RecordingMessageList list;
    ListenerRunner listener{list};  // last, so that it stops before the rest goes

    void SetUp() override
    {
        if (!listener.StartUntilListening([this] { StartListenerOnFreePort(); })) {
            FAIL() << "the listener did not get to listening; last top line: " << listener.TopLine();
        }
    }

    void TearDown() override { listener.Stop(); }

    // Fresh sockets each time, so that every listener's start-ups and releases count alone.
    void StartListenerOnFreePort()
    {
        listener.Stop();
        sockets = std::make_unique<PosixSocketApi>("localhost");
        listener.Start(*sockets, FreePort());
    }

    bool WaitForAddressLineOnTop() { return list.WaitForTopLine("127.0.0.1"); }

    void ExpectStoppedAndReleasedOnce()
    {
        listener.ExpectEndedWithFieldsCleared();
        EXPECT_EQ(sockets->Startups(), 1);
        EXPECT_EQ(sockets->Cleanups(), 1);
        Sender late(listener.port);
        EXPECT_FALSE(late.Connected()) << "the port still listens";
    }
};

TEST_F(LoopbackListener, StatusLineNamesTheHostItsAddressesAndTheSetUp)
{
    const HostEntry* host = sockets->gethostbyname("localhost");
    ASSERT_NE(host, nullptr);
    std::string expected = "Hostname: " + host->name;
    for (std::size_t i = 0; i < host->addresses.size() && i < 10; ++i) {
        expected += " , IP: " + sockets->inet_ntoa(host->addresses[i]);
    }
    expected += " , socket ok  , binding socket on port  " + kListening;
    EXPECT_EQ(list.Lines(), (Lines{expected}));
}

TEST_F(LoopbackListener, ShowsEachSendersLineWithItsAddress)
{
    struct Case {
        std::string sent;
        bool closeAfter;
        std::string shown;
    };
    const Case cases[] = {
        {"Hallo\r\n", false, "Hallo"},
        {"\n", false, ""},
        {"", true, ""},
        {"abc", true, "abc"},
        {"ab\0cd\n"s, false, "ab"},
        {"a\tb\n", false, "a b"},
        {"Gr&uuml;&szlig;e\n", false, "Gr\xFC\xDF" "e"},
        {"x\ry\n", false, "x"},
    };
    for (const Case& c : cases) {
        const std::size_t before = list.Lines().size();
        Sender sender(listener.port);
        ASSERT_TRUE(sender.Connected());
        sender.Send(c.sent);
        if (c.closeAfter) {
            sender.Close();
        }
        EXPECT_EQ(listener.WaitForServedLine(before), c.shown + kFromLoopback) << "sent: " << c.sent;
        if (!c.closeAfter) {
            EXPECT_EQ(sender.Ending(), "closed");
        }
    }
}

TEST_F(LoopbackListener, LineStopsAtTheLimitWithoutWaitingForALineEnd)
{
    std::string text;
    for (int i = 0; i < 9000; ++i) {
        text += static_cast<char>('a' + i % 26);
    }

    Sender tooLong(listener.port);  // stays open: the line must not wait for more
    tooLong.Send(text);
    std::string shown = listener.WaitForServedLine(1);
    EXPECT_TRUE(shown == text.substr(0, kMaxLineLength) + kFromLoopback) << shown.size() << " bytes shown";

    Sender exact(listener.port);
    exact.Send(text.substr(0, kMaxLineLength) + "\n");
    shown = listener.WaitForServedLine(2);
    EXPECT_TRUE(shown == text.substr(0, kMaxLineLength) + kFromLoopback) << shown.size() << " bytes shown";
}

TEST_F(LoopbackListener, SilentSenderHoldsTheListenerUntilItsLineEnds)
{
    Sender first(listener.port);
    ASSERT_TRUE(WaitForAddressLineOnTop());
    Sender second(listener.port);
    second.Send("second\n");

    // However slow the machine, the second line cannot be shown while the first sender
    // is connected without a line end.
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(list.Lines().size(), 2u);
    EXPECT_EQ(listener.TopLine(), "127.0.0.1");

    first.Send("first\n");
    EXPECT_EQ(listener.WaitForServedLine(2), "second" + kFromLoopback);
    EXPECT_EQ(list.Lines().at(1), "first" + kFromLoopback);
}

TEST_F(LoopbackListener, SecondSenderIsServedAfterTheFirstCloses)
{
    Sender first(listener.port);
    first.Send("par");
    ASSERT_TRUE(WaitForAddressLineOnTop());
    Sender second(listener.port);
    second.Send("two\n");
    first.Close();
    EXPECT_EQ(listener.WaitForServedLine(2), "two" + kFromLoopback);
    EXPECT_EQ(list.Lines().at(1), "par" + kFromLoopback);
}

TEST_F(LoopbackListener, ASlowSendersAddressShowsAloneAndAReadyLineTravelsWithItsAddress)
{
    const int popUps = list.PopUps();
    Sender slow(listener.port);
    slow.Send("par");
    ASSERT_TRUE(WaitForAddressLineOnTop());
    Sender ready(listener.port);  // waits in the queue with its whole line sent
    ready.Send("ready\n");

    slow.Send("tial\n");
    EXPECT_EQ(listener.WaitForServedLine(2), "ready" + kFromLoopback);
    EXPECT_EQ(list.Lines().at(1), "partial" + kFromLoopback);
    EXPECT_TRUE(list.WaitForPopUps(popUps + 3));
    EXPECT_EQ(list.PopUps() - popUps, 3) << "the slow sender's address and its join, one change for the ready one";
}

TEST_F(LoopbackListener, StopWhileWaitingForASenderEndsTheThreadSilently)
{
    const Lines before = list.Lines();
    listener.Stop();
    EXPECT_EQ(list.Lines(), before);
    ExpectStoppedAndReleasedOnce();
}

// Neither the line being read nor one waiting in the listen queue was shown: both senders
// get a reset, which tells them so.
TEST_F(LoopbackListener, StopWhileASenderIsConnectedAndSilentEndsTheThreadSilently)
{
    Sender silent(listener.port);
    silent.Send("par");
    ASSERT_TRUE(WaitForAddressLineOnTop());
    Sender queued(listener.port);
    queued.Send("queued\n");
    const Lines before = list.Lines();

    listener.Stop();
    EXPECT_EQ(silent.Ending(), "reset");
    EXPECT_EQ(queued.Ending(), "reset");

    EXPECT_EQ(list.Lines(), before);
    ExpectStoppedAndReleasedOnce();
}

}  // namespace
