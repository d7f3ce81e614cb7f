#include "net/SocketErrorTexts.h"

#include <cstddef>

namespace {

// One explanation per Winsock error code. Explanations that span several lines are
// written as adjacent literals, one piece per literal, joined with nothing between them.
struct ErrorText {
    int code;
    const char* text;
};

constexpr const char kUnknownProblems[] = "unknown problems!";

// The wording differs from table to table even for the same code (articles, capitals,
// line breaks, trailing blanks); every table is exact for its own call.

constexpr ErrorText kHostByNameTexts[] = {
    {10093, "need to call WSAStartup to initialize socket system on Window system."},
    {10050, "The network subsystem has failed."},
    {11001, "Authoritative Answer Host not found."},
    {11002, "Non-Authoritative Host not found, or server failure."},
    {11003, "Nonrecoverable error occurred."},
    {11004, "Valid name, no data record of requested type."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function."},
    {10014, "The name parameter is not a valid part of the user address space."},
    {10004, "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall."},
};

constexpr ErrorText kHostByAddrTexts[] = {
    {10093, "A successful WSAStartup must occur before using this function."},
    {10050, "The network subsystem has failed."},
    {11001, "Authoritative Answer Host not found."},
    {11002, "Non-Authoritative Host not found, or server failed."},
    {11003, "Nonrecoverable error occurred."},
    {11004, "Valid name, no data record of requested type."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function."},
    {10047, "The type specified is not supported by the Windows Sockets implementation."},
    {10014, "The addr parameter is not a valid part of the user address space, or the len parameter is too small."},
    {10004, "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall."},
};

constexpr ErrorText kSocketTexts[] = {
    {10093, "Successful WSAStartup must occur before using this function."},
    {10050, "The network subsystem or the associated service provider has failed."},
    {10047, "The specified address family is not supported."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function."},
    {10024, "No more socket descriptors are available."},
    {10055, "No buffer space is available. The socket cannot be created."},
    {10043, "The specified protocol is not supported."},
    {10041, "The specified protocol is the wrong type for this socket."},
    {10044, "The specified socket type is not supported in this address family."},
};

constexpr ErrorText kBindTexts[] = {
    {10093, "A successful WSAStartup must occur before using this function."},
    {10050, "The network subsystem has failed."},
    {10048, "A process on the machine is already bound to the same \n "
            "fully-qualified address and the socket has not been marked \n "
            "to allow address re-use with SO_REUSEADDR. For example, "
            "IP address and port are bound in the af_inet case \n"},
    {10049, "The specified address is not a valid address for this machine."},
    {10014, "The name or the namelen parameter is not a valid part of\n"
            "the user address space, the namelen parameter is too small,\n"
            "the name parameter contains incorrect address format for the\n"
            "associated address family, or the first two bytes of the memory\n"
            "block specified by name does not match the address family\n"
            "associated with the socket descriptor s."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the\n"
            "service provider is still processing a callback function."},
    {10022, "The socket is already bound to an address. "},
    {10055, "Not enough buffers available, too many connections."},
    {10038, "The descriptor is not a socket."},
};

constexpr ErrorText kListenTexts[] = {
    {10093, "A successful WSAStartup must occur before using this function."},
    {10050, "The network subsystem has failed."},
    {10048, "The socket's local address is already in use and the socket was\n"
            "not marked to allow address reuse with SO_REUSEADDR. This error\n"
            "usually occurs during execution of the bind function, but could\n"
            "be delayed until this function if the bind was to a partially\n"
            "wild-card address (involving ADDR_ANY) and if a specific address\n"
            "needs to be \"committed\" at the time of this function."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service\n"
            "provider is still processing a callback function."},
    {10022, "The socket has not been bound with bind."},
    {10056, "The socket is already connected."},
    {10024, "No more socket descriptors are available."},
    {10055, "No buffer space is available."},
    {10038, "The descriptor is not a socket."},
    {10045, "The referenced socket is not of a type that supports the listen operation."},
};

constexpr ErrorText kAcceptTexts[] = {
    {10093, "A successful WSAStartup must occur before using this FUNCTION."},
    {10050, "The network subsystem has failed."},
    {10014, "The addrlen parameter is too small or addr is not a valid part of the user address space."},
    {10004, "A blocking Windows Sockets 1.1 call was canceled through WSACancelBlockingCall."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the\n"
            "service provider is still processing a callback function."},
    {10022, "The listen function was not invoked prior to accept."},
    {10024, "The queue is nonempty upon entry to accept and there are no descriptors available."},
    {10055, "No buffer space is available."},
    {10038, "The descriptor is not a socket."},
    {10045, "The referenced socket is not a type that supports connection-oriented service."},
    {10035, "The socket is marked as nonblocking and no connections are present to be accepted."},
};

constexpr ErrorText kRecvTexts[] = {
    {10093, "A successful WSAStartup must occur before using this function."},
    {10050, "The network subsystem has failed."},
    {10014, "The buf parameter is not completely contained in a valid part of the user address space."},
    {10057, "The socket is not connected."},
    {10004, "The (blocking) call was canceled through WSACancelBlockingCall."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the\n"
            "service provider is still processing a callback function."},
    {10052, "The connection has been broken due to the keep-alive activity\n"
            "detecting a failure while the operation was in progress."},
    {10038, "The descriptor is not a socket."},
    {10045, "MSG_OOB was specified, but the socket is not stream-style\n"
            "such as type SOCK_STREAM, out-of-band data is not supported\n"
            "in the communication domain associated with this socket, or\n"
            "the socket is unidirectional and supports only send operations."},
    {10058, "The socket has been shut down; it is not possible to recv on a\n"
            "socket after shutdown has been invoked with how set to SD_RECEIVE or SD_BOTH."},
    {10035, "The socket is marked as nonblocking and the receive operation would block."},
    {10040, "The message was too large to fit into the specified buffer and was truncated."},
    {10022, "The socket has not been bound with bind, or an unknown flag\n"
            "was specified, or MSG_OOB was specified for a socket with\n"
            "SO_OOBINLINE enabled or (for byte stream sockets only) len was zero or negative."},
    {10053, "The virtual circuit was terminated due to a time-out or\n"
            "other failure. The application should close the socket as it is no longer usable."},
    {10060, "The connection has been dropped because of a network\n"
            "failure or because the peer system failed to respond."},
    {10054, "The virtual circuit was reset by the remote side executing a\n"
            "\"hard\" or \"abortive\" close. The application should close\n"
            "the socket as it is no longer usable. On a UDP datagram socket\n"
            "this error would indicate that a previous send operation\n"
            "resulted in an ICMP \"Port Unreachable\" message."},
};

// The code is read first and written whatever follows, so the caller can always show it;
// `fallback` is null for the tables that append nothing for an unknown code.
template <std::size_t N>
void Describe(SocketApi& sockets, const ErrorText (&table)[N], const char* fallback,
              int& code, std::string& text)
{
    code = sockets.WSAGetLastError();
    for (const ErrorText& row : table) {
        if (row.code == code) {
            text += row.text;
            return;
        }
    }
    if (fallback != nullptr)
        text += fallback;
}

}  // namespace

void DescribeHostByNameError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kHostByNameTexts, nullptr, code, text);
}

void DescribeHostByAddrError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kHostByAddrTexts, nullptr, code, text);
}

void DescribeSocketError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kSocketTexts, kUnknownProblems, code, text);
}

void DescribeBindError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kBindTexts, kUnknownProblems, code, text);
}

void DescribeListenError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kListenTexts, kUnknownProblems, code, text);
}

void DescribeAcceptError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kAcceptTexts, kUnknownProblems, code, text);
}

void DescribeRecvError(SocketApi& sockets, int& code, std::string& text)
{
    Describe(sockets, kRecvTexts, kUnknownProblems, code, text);
}
