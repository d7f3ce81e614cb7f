#include "net/SocketErrorTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/FixedErrorSocketApi.h"

namespace {

using DescribeFunction = void (*)(SocketApi&, int&, std::string&);

struct Described {
    int code;
    std::string text;
    int lastErrorReads;
};

Described Describe(DescribeFunction describe, int lastError, std::string prefix = {})
{
    FixedErrorSocketApi sockets(lastError);
    int code = 12345;
    describe(sockets, code, prefix);
    return {code, prefix, sockets.lastErrorReads};
}

std::string TextFor(DescribeFunction describe, int lastError)
{
    return Describe(describe, lastError).text;
}

long LineFeeds(const std::string& text)
{
    return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

struct Table {
    const char* name;
    DescribeFunction describe;
    std::vector<int> codesWithRows;
    bool hasDefault;
};

const std::vector<Table>& AllTables()
{
    static const std::vector<Table> tables = {
        {"gethostbyname", DescribeHostByNameError,
         {10093, 10050, 11001, 11002, 11003, 11004, 10036, 10014, 10004}, false},
        {"gethostbyaddr", DescribeHostByAddrError,
         {10093, 10050, 11001, 11002, 11003, 11004, 10036, 10047, 10014, 10004}, false},
        {"socket", DescribeSocketError,
         {10093, 10050, 10047, 10036, 10024, 10055, 10043, 10041, 10044}, true},
        {"bind", DescribeBindError,
         {10093, 10050, 10048, 10049, 10014, 10036, 10022, 10055, 10038}, true},
        {"listen", DescribeListenError,
         {10093, 10050, 10048, 10036, 10022, 10056, 10024, 10055, 10038, 10045}, true},
        {"accept", DescribeAcceptError,
         {10093, 10050, 10014, 10004, 10036, 10022, 10024, 10055, 10038, 10045, 10035}, true},
        {"recv", DescribeRecvError,
         {10093, 10050, 10014, 10057, 10004, 10036, 10052, 10038, 10045, 10058, 10035, 10040,
          10022, 10053, 10060, 10054},
         true},
    };
    return tables;
}

// Codes that appear in some table or nearby; each table must explain exactly its own.
const int kProbeCodes[] = {0,     -1,    10004, 10013, 10014, 10022, 10024, 10035, 10036,
                           10038, 10040, 10041, 10043, 10044, 10045, 10047, 10048, 10049,
                           10050, 10052, 10053, 10054, 10055, 10056, 10057, 10058, 10060,
                           10061, 10093, 11001, 11002, 11003, 11004, 11005, 995};

TEST(SocketErrorTexts, EachTableExplainsExactlyItsOwnCodes)
{
    for (const Table& table : AllTables()) {
        for (int code : kProbeCodes) {
            SCOPED_TRACE(std::string(table.name) + " " + std::to_string(code));
            const bool hasRow = std::find(table.codesWithRows.begin(), table.codesWithRows.end(),
                                          code) != table.codesWithRows.end();
            const std::string text = TextFor(table.describe, code);
            if (hasRow) {
                EXPECT_FALSE(text.empty());
                EXPECT_NE(text, "unknown problems!");
            } else {
                EXPECT_EQ(text, table.hasDefault ? "unknown problems!" : "");
            }
        }
    }
}

TEST(SocketErrorTexts, CodeIsWrittenAndTextAppendedBehindThePrefixInEveryCase)
{
    for (const Table& table : AllTables()) {
        for (int code : {10004, 10036, 10048, 11001, 10022, -7}) {
            SCOPED_TRACE(std::string(table.name) + " " + std::to_string(code));
            const Described plain = Describe(table.describe, code);
            const Described prefixed = Describe(table.describe, code, "prefix: \n");
            EXPECT_EQ(plain.code, code);
            EXPECT_EQ(prefixed.code, code);
            EXPECT_EQ(prefixed.text, "prefix: \n" + plain.text);
            EXPECT_EQ(prefixed.lastErrorReads, 1);
        }
    }
}

TEST(SocketErrorTexts, HostLookupsAppendNothingForUnknownCodes)
{
    const Described byName = Describe(DescribeHostByNameError, 10022);
    EXPECT_EQ(byName.code, 10022);
    EXPECT_EQ(byName.text, "");
    const Described byAddr = Describe(DescribeHostByAddrError, 10022, "kept");
    EXPECT_EQ(byAddr.code, 10022);
    EXPECT_EQ(byAddr.text, "kept");
}

TEST(SocketErrorTexts, HostLookupTexts)
{
    EXPECT_EQ(TextFor(DescribeHostByNameError, 11001), "Authoritative Answer Host not found.");
    EXPECT_EQ(TextFor(DescribeHostByNameError, 11002),
              "Non-Authoritative Host not found, or server failure.");
    EXPECT_EQ(TextFor(DescribeHostByAddrError, 11002),
              "Non-Authoritative Host not found, or server failed.");
    EXPECT_EQ(TextFor(DescribeHostByNameError, 11004),
              "Valid name, no data record of requested type.");
    EXPECT_EQ(TextFor(DescribeHostByNameError, 10014),
              "The name parameter is not a valid part of the user address space.");
    EXPECT_EQ(TextFor(DescribeHostByAddrError, 10014),
              "The addr parameter is not a valid part of the user address space, or the len "
              "parameter is too small.");
    EXPECT_EQ(TextFor(DescribeHostByAddrError, 10047),
              "The type specified is not supported by the Windows Sockets implementation.");
    EXPECT_EQ(TextFor(DescribeHostByNameError, 10047), "");
}

TEST(SocketErrorTexts, NotInitialisedIsWordedPerCall)
{
    EXPECT_EQ(TextFor(DescribeHostByNameError, 10093),
              "need to call WSAStartup to initialize socket system on Window system.");
    EXPECT_EQ(TextFor(DescribeSocketError, 10093),
              "Successful WSAStartup must occur before using this function.");
    EXPECT_EQ(TextFor(DescribeAcceptError, 10093),
              "A successful WSAStartup must occur before using this FUNCTION.");
    for (DescribeFunction describe : {DescribeHostByAddrError, DescribeBindError,
                                      DescribeListenError, DescribeRecvError})
        EXPECT_EQ(TextFor(describe, 10093),
                  "A successful WSAStartup must occur before using this function.");
}

TEST(SocketErrorTexts, NetworkDownAndNoBuffersArePerCall)
{
    EXPECT_EQ(TextFor(DescribeSocketError, 10050),
              "The network subsystem or the associated service provider has failed.");
    for (DescribeFunction describe : {DescribeHostByNameError, DescribeHostByAddrError,
                                      DescribeBindError, DescribeListenError,
                                      DescribeAcceptError, DescribeRecvError})
        EXPECT_EQ(TextFor(describe, 10050), "The network subsystem has failed.");

    EXPECT_EQ(TextFor(DescribeSocketError, 10055),
              "No buffer space is available. The socket cannot be created.");
    EXPECT_EQ(TextFor(DescribeBindError, 10055),
              "Not enough buffers available, too many connections.");
    EXPECT_EQ(TextFor(DescribeListenError, 10055), "No buffer space is available.");
    EXPECT_EQ(TextFor(DescribeAcceptError, 10055), "No buffer space is available.");
    EXPECT_EQ(TextFor(DescribeRecvError, 10055), "unknown problems!");
}

TEST(SocketErrorTexts, InterruptedCallIsWordedPerCall)
{
    const std::string singular =
        "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall.";
    EXPECT_EQ(TextFor(DescribeHostByNameError, 10004), singular);
    EXPECT_EQ(TextFor(DescribeHostByAddrError, 10004), singular);
    EXPECT_EQ(TextFor(DescribeAcceptError, 10004),
              "A blocking Windows Sockets 1.1 call was canceled through WSACancelBlockingCall.");
    EXPECT_EQ(TextFor(DescribeRecvError, 10004),
              "The (blocking) call was canceled through WSACancelBlockingCall.");
}

TEST(SocketErrorTexts, InProgressBreaksItsLineDifferentlyPerCall)
{
    const std::string oneLine = "A blocking Windows Sockets 1.1 call is in progress, or the "
                                "service provider is still processing a callback function.";
    for (DescribeFunction describe :
         {DescribeHostByNameError, DescribeHostByAddrError, DescribeSocketError})
        EXPECT_EQ(TextFor(describe, 10036), oneLine);

    const std::string afterOrThe = "A blocking Windows Sockets 1.1 call is in progress, or the\n"
                                   "service provider is still processing a callback function.";
    for (DescribeFunction describe : {DescribeBindError, DescribeAcceptError, DescribeRecvError})
        EXPECT_EQ(TextFor(describe, 10036), afterOrThe);

    EXPECT_EQ(TextFor(DescribeListenError, 10036),
              "A blocking Windows Sockets 1.1 call is in progress, or the service\n"
              "provider is still processing a callback function.");
}

TEST(SocketErrorTexts, SocketCreationTexts)
{
    const Described described = Describe(DescribeSocketError, 10044);
    EXPECT_EQ(described.code, 10044);
    EXPECT_EQ(described.text, "The specified socket type is not supported in this address family.");
    EXPECT_EQ(TextFor(DescribeSocketError, 10041),
              "The specified protocol is the wrong type for this socket.");
    EXPECT_EQ(TextFor(DescribeSocketError, 10047), "The specified address family is not supported.");
}

TEST(SocketErrorTexts, BindTextsKeepTheirBlanksAndLineFeeds)
{
    const Described inUse = Describe(DescribeBindError, 10048, "error calling bind(): \n");
    EXPECT_EQ(inUse.code, 10048);
    EXPECT_EQ(inUse.text,
              "error calling bind(): \n"
              "A process on the machine is already bound to the same \n fully-qualified address "
              "and the socket has not been marked \n to allow address re-use with SO_REUSEADDR. "
              "For example, IP address and port are bound in the af_inet case \n");

    EXPECT_EQ(TextFor(DescribeBindError, 10022), "The socket is already bound to an address. ");
    EXPECT_EQ(TextFor(DescribeBindError, 10049),
              "The specified address is not a valid address for this machine.");

    const std::string fault = TextFor(DescribeBindError, 10014);
    EXPECT_EQ(LineFeeds(fault), 5);
    EXPECT_EQ(fault.rfind("The name or the namelen parameter is not a valid part of\nthe user", 0), 0u);
    EXPECT_NE(fault.find("block specified by name does not match the address family\nassociated "
                         "with the socket descriptor s."),
              std::string::npos);
}

TEST(SocketErrorTexts, ListenTexts)
{
    const std::string inUse = TextFor(DescribeListenError, 10048);
    EXPECT_EQ(LineFeeds(inUse), 5);
    EXPECT_EQ(inUse.rfind("The socket's local address is already in use and the socket was\nnot", 0), 0u);
    EXPECT_NE(inUse.find("needs to be \"committed\" at the time of this function."),
              std::string::npos);
    EXPECT_EQ(inUse.back(), '.');

    EXPECT_EQ(TextFor(DescribeListenError, 10022), "The socket has not been bound with bind.");
    EXPECT_EQ(TextFor(DescribeListenError, 10045),
              "The referenced socket is not of a type that supports the listen operation.");
}

TEST(SocketErrorTexts, AcceptTexts)
{
    EXPECT_EQ(Describe(DescribeAcceptError, 10022, "error calling accept():").text,
              "error calling accept():The listen function was not invoked prior to accept.");
    EXPECT_EQ(TextFor(DescribeAcceptError, 10045),
              "The referenced socket is not a type that supports connection-oriented service.");
    EXPECT_EQ(TextFor(DescribeAcceptError, 10035),
              "The socket is marked as nonblocking and no connections are present to be accepted.");
    EXPECT_EQ(TextFor(DescribeAcceptError, 10024),
              "The queue is nonempty upon entry to accept and there are no descriptors available.");
    // What a closed listening socket yields under Wine: not in the table.
    EXPECT_EQ(TextFor(DescribeAcceptError, 995), "unknown problems!");
}

TEST(SocketErrorTexts, RecvTexts)
{
    const Described reset = Describe(DescribeRecvError, 10054, "error calling recv():\n");
    EXPECT_EQ(reset.code, 10054);
    EXPECT_EQ(LineFeeds(reset.text), 5);
    EXPECT_EQ(reset.text,
              "error calling recv():\n"
              "The virtual circuit was reset by the remote side executing a\n\"hard\" or "
              "\"abortive\" close. The application should close\nthe socket as it is no longer "
              "usable. On a UDP datagram socket\nthis error would indicate that a previous send "
              "operation\nresulted in an ICMP \"Port Unreachable\" message.");

    EXPECT_EQ(LineFeeds(TextFor(DescribeRecvError, 10045)), 3);
    EXPECT_EQ(LineFeeds(TextFor(DescribeRecvError, 10022)), 2);
    EXPECT_EQ(TextFor(DescribeRecvError, 10053),
              "The virtual circuit was terminated due to a time-out or\nother failure. The "
              "application should close the socket as it is no longer usable.");
    EXPECT_EQ(TextFor(DescribeRecvError, 10058),
              "The socket has been shut down; it is not possible to recv on a\nsocket after "
              "shutdown has been invoked with how set to SD_RECEIVE or SD_BOTH.");
    EXPECT_EQ(TextFor(DescribeRecvError, 10057), "The socket is not connected.");
}

}  // namespace
