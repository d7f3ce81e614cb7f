#include "send/SocketCalls.h"

#include <algorithm>
#include <cstring>

// The one place where Winsock and POSIX sockets differ for the sender.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

using PollEntry = WSAPOLLFD;

SOCKET Native(NativeSocket socket) { return static_cast<SOCKET>(socket); }

std::string SystemText(int error)
{
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string result = text;
    const std::size_t end = result.find_last_not_of("\r\n. ");
    result.resize(end == std::string::npos ? 0 : end + 1);
    return result;
}

int Poll(PollEntry* entries, std::size_t count, int milliseconds)
{
    return WSAPoll(entries, static_cast<ULONG>(count), milliseconds);
}

}  // namespace

SocketError Classify(int error)
{
    switch (error) {
    case 0: return SocketError::None;
    case WSAEWOULDBLOCK:
    case WSAEINPROGRESS:
    case WSAEINTR: return SocketError::WouldBlock;
    case WSAECONNRESET: return SocketError::Reset;
    case WSAECONNREFUSED: return SocketError::Refused;
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH: return SocketError::Unreachable;
    case WSAETIMEDOUT: return SocketError::TimedOut;
    case WSAEMFILE:
    case WSAENOBUFS: return SocketError::NoDescriptors;
    default: return SocketError::Other;
    }
}

int LastSocketError() { return WSAGetLastError(); }

SocketLibrary::SocketLibrary()
{
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibrary::~SocketLibrary()
{
    if (m_started) WSACleanup();
}

NativeSocket OpenNonBlockingSocket()
{
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return kNoSocket;
    u_long on = 1;
    if (ioctlsocket(socket, FIONBIO, &on) != 0) {
        const int error = WSAGetLastError();
        closesocket(socket);
        WSASetLastError(error);
        return kNoSocket;
    }
    return static_cast<NativeSocket>(socket);
}

void CloseSocket(NativeSocket socket) { closesocket(Native(socket)); }

long SendSome(NativeSocket socket, const char* data, std::size_t size)
{
    return send(Native(socket), data, static_cast<int>(size), 0);
}

long ReceiveSome(NativeSocket socket, char* data, std::size_t size)
{
    return recv(Native(socket), data, static_cast<int>(size), 0);
}

// Wine's sockets report a reset connection to recv as closed in order; a write tells the two
// apart, as it fails only on a reset one. A receiver that closed in order reads no more.
int ResetBehindClose(NativeSocket socket)
{
    if (send(Native(socket), "\n", 1, 0) != SOCKET_ERROR) return 0;
    const int error = WSAGetLastError();
    return Classify(error) == SocketError::Reset ? error : 0;
}

std::size_t RaiseOpenFileLimit(std::size_t wanted) { return wanted; }

#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using PollEntry = pollfd;

int Native(NativeSocket socket) { return socket; }

std::string SystemText(int error) { return std::strerror(error); }

int Poll(PollEntry* entries, std::size_t count, int milliseconds)
{
    return poll(entries, static_cast<nfds_t>(count), milliseconds);
}

}  // namespace

SocketError Classify(int error)
{
    switch (error) {
    case 0: return SocketError::None;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
    case EINTR: return SocketError::WouldBlock;
    // A write after the reset has arrived fails with EPIPE.
    case ECONNRESET:
    case EPIPE: return SocketError::Reset;
    case ECONNREFUSED: return SocketError::Refused;
    case EHOSTUNREACH:
    case ENETUNREACH: return SocketError::Unreachable;
    case ETIMEDOUT: return SocketError::TimedOut;
    case EMFILE:
    case ENFILE:
    case ENOBUFS: return SocketError::NoDescriptors;
    default: return SocketError::Other;
    }
}

int LastSocketError() { return errno; }

SocketLibrary::SocketLibrary()
{
    // A write to a connection the receiver has reset must fail, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    m_started = true;
}

SocketLibrary::~SocketLibrary() = default;

NativeSocket OpenNonBlockingSocket()
{
    return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
}

void CloseSocket(NativeSocket socket) { close(socket); }

long SendSome(NativeSocket socket, const char* data, std::size_t size)
{
    return send(socket, data, size, MSG_NOSIGNAL);
}

long ReceiveSome(NativeSocket socket, char* data, std::size_t size)
{
    return recv(socket, data, size, 0);
}

// recv reports a reset itself.
int ResetBehindClose(NativeSocket) { return 0; }

std::size_t RaiseOpenFileLimit(std::size_t wanted)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < wanted && limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted
                                                          : std::min<rlim_t>(wanted, limit.rlim_max);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return static_cast<std::size_t>(limit.rlim_cur);
}
#endif

std::string ErrorText(int error)
{
    // Some systems (Wine among them) have no text for some socket errors.
    const std::string text = SystemText(error);
    const std::string code = "error " + std::to_string(error);
    return text.empty() ? code : text + " (" + code + ")";
}

int StartConnect(NativeSocket socket, const Ipv4Endpoint& endpoint)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = endpoint.port;
    address.sin_addr.s_addr = endpoint.address;
    if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return 0;
    }
    return LastSocketError();
}

int ConnectOutcome(NativeSocket socket)
{
    int outcome = 0;
    socklen_t length = sizeof outcome;
    if (getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&outcome),
                   &length) != 0) {
        return LastSocketError();
    }
    return outcome;
}

void WaitForSockets(std::vector<SocketWatch>& watches, int milliseconds)
{
    std::vector<PollEntry> entries(watches.size());
    for (std::size_t i = 0; i < watches.size(); ++i) {
        entries[i].fd = Native(watches[i].socket);
        entries[i].events = watches[i].forWriting ? POLLOUT : POLLIN;
    }
    const int count = Poll(entries.data(), entries.size(), milliseconds);
    for (std::size_t i = 0; i < watches.size(); ++i) {
        watches[i].ready = count > 0 && entries[i].revents != 0;
    }
}
