// The listener's algorithm over a scripted socket seam: the order of its calls, the exact
// lines it adds, and every way it can fail.

#include "net/Listener.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "net/LineProtocol.h"
#include "support/PageWriteRecorder.h"
#include "support/RecordingMessageList.h"
#include "support/ScriptedSocketApi.h"

namespace {

using Lines = std::vector<std::string>;
using Calls = std::vector<std::string>;

const std::string kStatusLine =
    "Hostname: scripted-host , IP: 127.0.0.1 , socket ok  , binding socket on port  , "
    "Listening on port ok, wait for contact ....";

class ScriptedListener : public ::testing::Test {
protected:
    // The flags the listener writes as it ends live on pages of their own, so that the
    // order of those writes can be recorded.
    enum Page { kRunPage, kEndedPage, kThreadPage };

    PageWriteRecorder pages{3};
    std::atomic<bool>& run = *new (pages.Page(kRunPage)) std::atomic<bool>(true);
    std::atomic<bool>& ended = *new (pages.Page(kEndedPage)) std::atomic<bool>(true);
    std::atomic<CWinThread*>& thread = *new (pages.Page(kThreadPage)) std::atomic<CWinThread*>(nullptr);
    std::atomic<SocketHandle> listenSocket{0};
    std::atomic<SocketHandle> connection{0};
    const std::uint16_t port = kTidemarkPort;  // nothing is bound: the seam is scripted
    int threadObject = 0;

    ScriptedSocketApi sockets;
    RecordingMessageList list;

    // Runs the listener to its end. Every socket call restarts the write record, so what
    // is left at the end is what was written after the last socket call.
    void RunListener()
    {
        thread = reinterpret_cast<CWinThread*>(&threadObject);
        sockets.StopAtLastAccept(&run);
        sockets.onEveryCall = [this] { pages.Arm(); };
        Listener(sockets, list, ListenerFields{run, ended, listenSocket, port, thread, connection, sockets}).Run();
        pages.Disarm();
        sockets.onEveryCall = nullptr;
    }

    void ExpectEnded()
    {
        EXPECT_TRUE(ended);
        EXPECT_FALSE(run);
        EXPECT_EQ(thread.load(), nullptr);
        EXPECT_EQ(listenSocket.load(), 0u);
        // The thread object and the run flag are let go of first; the ended flag, which
        // the exit sequence waits for, is the very last write.
        EXPECT_EQ(pages.WriteOrder(), (std::vector<std::size_t>{kThreadPage, kRunPage, kEndedPage}));
    }

    Calls Closing() const { return sockets.CallsNamed({"linger", "shutdown", "closesocket", "WSACleanup"}); }

    void ScriptConnection() { sockets.Connect(); }

    ScriptedSocketApi::Outcome ClearingRun(std::intmax_t result, int error = 0)
    {
        ScriptedSocketApi::Outcome outcome;
        outcome.result = result;
        outcome.error = error;
        outcome.action = [this] { run = false; };
        return outcome;
    }
};

TEST_F(ScriptedListener, ServesALineWithTheWinsockCallsInOrderAndReleasesAllOnStop)
{
    ScriptConnection();
    sockets.Send("Hallo\r\nrest");
    RunListener();

    EXPECT_EQ(list.Lines(), (Lines{"Hallo <- 127.0.0.1", kStatusLine}));
    EXPECT_EQ(sockets.Calls(), (Calls{
        "WSAStartup(0x0101)", "gethostname(64)", "gethostbyname(scripted-host)", "inet_ntoa(127.0.0.1)",
        "socket(2,1,6)", "bind(100,16)", "listen(100,2)",
        "accept(100,16)", "inet_ntoa(127.0.0.1)", "inet_addr(127.0.0.1)",
        "select(200)", "recv(200,8096,2)", "recv(200,6,0)",
        "shutdown(200,1)", "closesocket(200)",
        "accept(100,16)",
        "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, BindsTheConfiguredPortOnAllAddressesInNetworkByteOrder)
{
    RunListener();

    const SocketAddressIn address = sockets.LastBindAddress();
    unsigned char bytes[16];
    std::memcpy(bytes, &address, sizeof bytes);
    EXPECT_EQ(address.family, kAfInet);
    const unsigned char portAndAddress[6] = {0x66, 0x00, 0, 0, 0, 0};  // 26112 = 0x6600
    EXPECT_EQ(std::memcmp(bytes + 2, portAndAddress, sizeof portAndAddress), 0);
    EXPECT_EQ(std::memcmp(bytes + 8, "\0\0\0\0\0\0\0\0", 8), 0);
}

TEST_F(ScriptedListener, HostNameFillingAllOfferedBytesStillEndsWithAZeroByte)
{
    sockets.hostName = std::string(64, 'h');
    RunListener();
    EXPECT_EQ(sockets.Calls().at(2), "gethostbyname(" + std::string(64, 'h') + ")");
}

TEST_F(ScriptedListener, FailedHostNameCallGoesOnWithTheEmptyName)
{
    sockets.Script("gethostname", {kSocketError, 10093, nullptr, "part of a name"});
    RunListener();
    EXPECT_EQ(sockets.Calls().at(2), "gethostbyname()");
    EXPECT_EQ(list.Lines(), (Lines{kStatusLine}));
}

TEST_F(ScriptedListener, StatusLineListsAtMostTenAddresses)
{
    sockets.host.addresses.clear();
    for (std::uint32_t i = 1; i <= 12; ++i) {
        sockets.host.addresses.push_back(0x0000000A | (i << 24));  // 10.0.0.i
    }
    RunListener();

    std::string expected = "Hostname: scripted-host";
    for (int i = 1; i <= 10; ++i) {
        expected += " , IP: 10.0.0." + std::to_string(i);
    }
    expected += " , socket ok  , binding socket on port  , Listening on port ok, wait for contact ....";
    EXPECT_EQ(list.Lines(), (Lines{expected}));
}

TEST_F(ScriptedListener, StatusLineOfAHostWithoutAddresses)
{
    sockets.host.addresses.clear();
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"Hostname: scripted-host , socket ok  , binding socket on port  , "
                                   "Listening on port ok, wait for contact ...."}));
}

// Set-up failures: one report, the library released once if it was started, thread ended.

TEST_F(ScriptedListener, FailedStartupReportsAndNeverReleasesTheLibrary)
{
    sockets.Fail("WSAStartup", 10091, 0);
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"Error: calling WSAStartup()"}));
    EXPECT_EQ(sockets.Calls(), (Calls{"WSAStartup(0x0101)"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, FailedHostLookupReportsTheCodeAndItsExplanation)
{
    sockets.Fail("gethostbyname", 0, 11001);
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"Errorcode:11001 :Authoritative Answer Host not found.", "error host by name\n"}));
    EXPECT_EQ(Closing(), (Calls{"WSACleanup()"}));
    EXPECT_TRUE(sockets.CallsNamed({"socket"}).empty());
    ExpectEnded();
}

TEST_F(ScriptedListener, FailedHostLookupWithAnUnknownCodeEndsWithTheColon)
{
    sockets.Fail("gethostbyname", 0, 10022);
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"Errorcode:10022 :", "error host by name\n"}));
    EXPECT_EQ(Closing(), (Calls{"WSACleanup()"}));
}

const std::string kHost = "Hostname: scripted-host , IP: 127.0.0.1";
const std::string kBindInUse =
    "Errorcode:10048 :error calling bind(): \n"
    "A process on the machine is already bound to the same \n "
    "fully-qualified address and the socket has not been marked \n "
    "to allow address re-use with SO_REUSEADDR. For example, "
    "IP address and port are bound in the af_inet case \n";

// At start, a socket that cannot be opened, bound or listened on shows its failure once;
// the listener tries again every few seconds, quietly, and says when it listens.
using SetUpFailure = std::tuple<const char*, std::intmax_t, int, std::string, std::string>;
class ScriptedSetUpFailure : public ScriptedListener, public ::testing::WithParamInterface<SetUpFailure> {};

TEST_P(ScriptedSetUpFailure, IsShownOnceAndTriedAgainUntilTheListenerListens)
{
    const auto& [call, result, error, errorLine, statusSoFar] = GetParam();
    sockets.Fail(call, result, error);
    sockets.Fail(call, result, error);
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{kStatusLine, errorLine, statusSoFar}));
    EXPECT_EQ(sockets.CallsNamed({"Pause", "WSACleanup"}), (Calls{"Pause(3000)", "Pause(3000)", "WSACleanup()"}));
    ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Rows, ScriptedSetUpFailure, ::testing::Values(
    SetUpFailure{"socket", static_cast<std::intmax_t>(kInvalidSocket), 10044,
                 "Errorcode:10044 :The specified socket type is not supported in this address family.", kHost},
    SetUpFailure{"bind", kSocketError, 10048, kBindInUse, kHost + " , socket ok"},
    SetUpFailure{"listen", kSocketError, 10022, "Errorcode:10022 :error calling listen():\nThe socket has not been bound with bind.",
                 kHost + " , socket ok  , binding socket on port "}));

TEST_F(ScriptedListener, ListenSocketTakenByTheExitSequenceIsNotReleasedTwice)
{
    ScriptedSocketApi::Outcome bindFails;
    bindFails.result = kSocketError;
    bindFails.error = 10038;
    bindFails.action = [this] { TakeAndCloseSocket(sockets, listenSocket); };  // the window exits meanwhile
    sockets.Script("bind", bindFails);
    RunListener();
    // The library is the stop's to release, once the listener has ended.
    EXPECT_EQ(Closing(), (Calls{"shutdown(100,1)", "closesocket(100)"}));
}

// Failures in the accept loop.

// Strangers cannot stop the listener. A failed accept shows its line (not again for the same
// failure with nothing accepted in between) and goes on: at once after a sender's reset,
// after a pause when the failure would come again at once; a broken listening socket
// is opened anew. A line not complete by the read deadline (a wait for the sender's bytes
// that runs out on the slow path) is shown as if its sender had closed; what comes later
// is never read.
using Script = std::function<void(ScriptedSocketApi&, std::atomic<bool>& run)>;
using Stranger = std::tuple<Script, Lines, Calls>;  // lines above the status line; opening and pauses
class ScriptedStranger : public ScriptedListener, public ::testing::WithParamInterface<Stranger> {};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_P(ScriptedStranger, IsShownAndTheListenerGoesOn)
{
    const auto& [script, lines, opening] = GetParam();
    script(sockets, run);
    RunListener();
    EXPECT_EQ(list.Lines(), lines + Lines{kStatusLine});
    EXPECT_EQ(sockets.CallsNamed({"socket", "bind", "listen", "Pause"}), opening);
    ExpectEnded();
}

const std::string kReset = "Errorcode:10057 :error calling accept():unknown problems!";  // Wine's
const std::string kNoBuffers = "Errorcode:10055 :error calling accept():No buffer space is available.";
const std::string kNotSocket = "Errorcode:10038 :error calling accept():The descriptor is not a socket.";
const Calls kOpening = {"socket(2,1,6)", "bind(100,16)", "listen(100,2)"};

INSTANTIATE_TEST_SUITE_P(Rows, ScriptedStranger, ::testing::Values(
    Stranger{[](ScriptedSocketApi& s, auto&) { s.Fail("accept", -1, 10057); s.Connect(); s.Send("next\n"); },
                  {"next <- 127.0.0.1", kReset}, kOpening},
    Stranger{[](ScriptedSocketApi& s, auto&) {
                      for (int code : {10054, 10054, 10053, 10055, 10055}) { s.Fail("accept", -1, code); }
                      s.Connect(); s.Fail("accept", -1, 10055); },
                  {kNoBuffers, " <- 127.0.0.1", kNoBuffers, "Errorcode:10053 :error calling accept():unknown problems!",
                   "Errorcode:10054 :error calling accept():unknown problems!"},
                  kOpening + Calls{"Pause(1000)", "Pause(1000)", "Pause(1000)"}},
    Stranger{[](ScriptedSocketApi& s, auto&) { s.Fail("accept", -1, 10038); s.Connect(); s.Send("next\n"); },
                  {"next <- 127.0.0.1", kStatusLine, kNotSocket}, kOpening + Calls{"Pause(1000)"} + kOpening},
    Stranger{[](ScriptedSocketApi& s, auto&) {  // and meanwhile another program took the port
                      s.Script("accept", {-1, 10038, [&s] { s.Fail("bind", kSocketError, 10048); }, {}}); },
                  {kStatusLine, kBindInUse, kNotSocket},
                  kOpening + Calls{"Pause(1000)", "socket(2,1,6)", "bind(100,16)", "Pause(3000)"} + kOpening},
    Stranger{[](ScriptedSocketApi& s, std::atomic<bool>& run) {  // the stop comes during the pause
                      s.Fail("accept", -1, 10038); s.Script("Pause", {0, 0, [&run] { run = false; }, {}}); },
                  {kNotSocket}, kOpening + Calls{"Pause(1000)"}},
    Stranger{[](ScriptedSocketApi& s, auto&) {  // a silent sender, then one with half a line
                 for (const char* sent : {"", "half"}) { s.Connect(); s.Send(sent); s.Send("late\n"); }
                 for (int ready : {0, 0, 1, 0, 0}) { s.Fail("select", ready, 0); } },
             {"half <- 127.0.0.1", " <- 127.0.0.1"}, kOpening}));

// A line whose change the window let go undone, as it began to end, was not shown: a reset
// tells its sender so, the quick one's and the slow one's alike.
TEST_F(ScriptedListener, ALineTheListDidNotTakeEndsWithAReset)
{
    list.refusing = true;
    ScriptConnection();
    sockets.Send("quick\n");
    ScriptConnection();
    sockets.Fail("select", 0, 0);
    sockets.Send("slow\n");
    RunListener();
    EXPECT_EQ(Closing(), (Calls{"linger(200,1,0)", "closesocket(200)", "linger(201,1,0)", "closesocket(201)",
                                "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
}

TEST_F(ScriptedListener, StopDuringAcceptShowsNothingAndClosesTheNewConnection)
{
    sockets.Script("accept", ClearingRun(200));  // a sender connects as the window exits
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{kStatusLine}));
    EXPECT_TRUE(sockets.CallsNamed({"inet_addr", "recv"}).empty());
    EXPECT_EQ(Closing(), (Calls{"linger(200,1,0)", "closesocket(200)", "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, FailedAddressCheckReportsWhileRunningAndEndsTheConnection)
{
    ScriptConnection();
    ScriptConnection();
    sockets.Fail("inet_addr", kInaddrNone, 0);
    // A line added while a connection is held is taken for one still being read.
    SocketHandle heldAtError = 1;
    list.onChange = [&] {
        if (list.Lines()[0] == "Error calling inet_addr()") heldAtError = connection;
    };
    RunListener();
    EXPECT_EQ(heldAtError, 0u);
    EXPECT_EQ(list.Lines(), (Lines{" <- 127.0.0.1", "Error calling inet_addr()", kStatusLine}));
    EXPECT_EQ(sockets.CallsNamed({"recv"}), (Calls{"recv(201,8096,2)"}));
    EXPECT_EQ(Closing(), (Calls{"linger(200,1,0)", "closesocket(200)", "shutdown(201,1)", "closesocket(201)",
                                "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, FailedAddressCheckAfterStopAddsNoLine)
{
    ScriptConnection();
    sockets.Script("inet_addr", ClearingRun(kInaddrNone));
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{kStatusLine}));
    EXPECT_EQ(Closing(), (Calls{"linger(200,1,0)", "closesocket(200)", "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, ReceiveErrorIsReportedAndTheTextSoFarJoinedInFrontOfIt)
{
    ScriptConnection();
    sockets.Send("ab");
    sockets.FailRecv(kSocketError, 10054);
    ScriptConnection();
    sockets.Send("next\n");
    RunListener();

    const std::string errorLine =
        "Errorcode:10054 :error calling recv():\n"
        "The virtual circuit was reset by the remote side executing a\n"
        "\"hard\" or \"abortive\" close. The application should close\n"
        "the socket as it is no longer usable. On a UDP datagram socket\n"
        "this error would indicate that a previous send operation\n"
        "resulted in an ICMP \"Port Unreachable\" message.";
    EXPECT_EQ(list.Lines(), (Lines{"next <- 127.0.0.1", "ab <- " + errorLine, "127.0.0.1", kStatusLine}));
    EXPECT_EQ(Closing(), (Calls{"shutdown(200,1)", "closesocket(200)", "shutdown(201,1)", "closesocket(201)",
                                "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, ReceiveErrorAfterStopAddsNoLine)
{
    ScriptConnection();
    sockets.Send("ab");
    sockets.ScriptRecv(ClearingRun(kSocketError, 10093));
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"127.0.0.1", kStatusLine}));
    EXPECT_EQ(Closing(), (Calls{"linger(200,1,0)", "closesocket(200)", "shutdown(100,1)", "closesocket(100)", "WSACleanup()"}));
    ExpectEnded();
}

TEST_F(ScriptedListener, StopBetweenReceiveCallsEndsReadingAndShowsNothing)
{
    ScriptConnection();
    sockets.Send("a");
    ScriptedSocketApi::Outcome clearing = ClearingRun(3);
    clearing.bytes = "cd\n";
    sockets.ScriptRecv(clearing);
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"127.0.0.1", kStatusLine}));
    EXPECT_EQ(sockets.CallsNamed({"recv"}).size(), 3u);  // no take after the peek that saw the stop
}

TEST_F(ScriptedListener, SenderClosingEndsTheLineAndTheLoopGoesOn)
{
    ScriptConnection();
    sockets.Send("abc");
    sockets.FailRecv(0, 0);
    ScriptConnection();  // closes without sending anything
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{" <- 127.0.0.1", "abc <- 127.0.0.1", kStatusLine}));
}

TEST_F(ScriptedListener, LineEndsAreNotStoredAndNothingAfterThemIsRead)
{
    using namespace std::string_literals;
    for (const std::string& sent : {"one\r\n"s, "two\nx"s, "three\0x"s}) {
        ScriptConnection();
        sockets.Send(sent);
    }
    RunListener();
    EXPECT_EQ(list.Lines(), (Lines{"three <- 127.0.0.1", "two <- 127.0.0.1", "one <- 127.0.0.1", kStatusLine}));
    EXPECT_EQ(sockets.CallsNamed({"recv"}).size(), 3u * 2u);
}

TEST_F(ScriptedListener, ReadingStopsAtTheLineLimitWithoutWaitingForALineEnd)
{
    std::string full;
    for (int i = 0; i < 8100; ++i) {
        full += static_cast<char>('a' + i % 26);
    }
    ScriptConnection();
    sockets.Send(full);
    ScriptConnection();
    sockets.Send(full.substr(0, kMaxLineLength) + "\n");
    RunListener();

    const std::string shown = full.substr(0, kMaxLineLength) + " <- 127.0.0.1";
    const Lines lines = list.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0] == shown) << "exactly 8096 bytes then LF: " << lines[0].size() << " bytes shown";
    EXPECT_TRUE(lines[1] == shown) << "more than 8096 bytes: " << lines[1].size() << " bytes shown";
    EXPECT_EQ(sockets.CallsNamed({"recv"}),  // neither the rest nor the LF is read
              (Calls{"recv(200,8096,2)", "recv(200,8096,0)", "recv(201,8096,2)", "recv(201,8096,0)"}));
}

TEST_F(ScriptedListener, ShownLineIsDecodedAndHasItsTabsAsBlanks)
{
    ScriptConnection();
    sockets.Send("Gr&uuml;&szlig;e\tdir\n");
    RunListener();
    EXPECT_EQ(list.Lines().at(0), "Gr\xFC\xDF" "e dir <- 127.0.0.1");
}

// Releasing the listening socket.

TEST(TakeAndCloseSocket, DoesNothingWithoutAnOpenSocket)
{
    ScriptedSocketApi sockets;
    std::atomic<SocketHandle> none{0};
    EXPECT_FALSE(TakeAndCloseSocket(sockets, none));
    std::atomic<SocketHandle> invalid{kInvalidSocket};
    EXPECT_FALSE(TakeAndCloseSocket(sockets, invalid));
    EXPECT_TRUE(sockets.Calls().empty());
    EXPECT_EQ(invalid.load(), 0u);
}

TEST(TakeAndCloseSocket, TwoThreadsAtOnceCloseOnlyOnce)
{
    for (int round = 0; round < 200; ++round) {
        ScriptedSocketApi sockets;
        std::atomic<SocketHandle> listenSocket{100};
        std::atomic<bool> go{false};
        auto release = [&] {
            while (!go) {
                std::this_thread::yield();
            }
            TakeAndCloseSocket(sockets, listenSocket);
        };
        std::thread first(release);
        std::thread second(release);
        go = true;
        first.join();
        second.join();
        ASSERT_EQ(sockets.Calls(), (Calls{"shutdown(100,1)", "closesocket(100)"}));
        ASSERT_EQ(listenSocket.load(), 0u);
    }
}

}  // namespace
