#include "send/TcpDelivery.h"

#include <algorithm>
#include <chrono>
#include <cstring>

// The one place where Winsock and POSIX sockets differ for the sender.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {
using NativeSocket = SOCKET;
using AddressLength = int;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;
constexpr int kRefused = WSAECONNREFUSED;
constexpr int kHostUnreachable = WSAEHOSTUNREACH;
constexpr int kNetworkUnreachable = WSAENETUNREACH;
constexpr int kConnectTimedOut = WSAETIMEDOUT;
constexpr int kReset = WSAECONNRESET;
constexpr int kInterrupted = WSAEINTR;

int LastError() { return WSAGetLastError(); }
bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
void CloseSocket(NativeSocket socket) { closesocket(socket); }

bool MakeNonBlocking(NativeSocket socket)
{
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

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
}  // namespace

SocketLibrary::SocketLibrary()
{
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibrary::~SocketLibrary()
{
    if (m_started) WSACleanup();
}

#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using NativeSocket = int;
using AddressLength = socklen_t;
constexpr NativeSocket kNoSocket = -1;
constexpr int kRefused = ECONNREFUSED;
constexpr int kHostUnreachable = EHOSTUNREACH;
constexpr int kNetworkUnreachable = ENETUNREACH;
constexpr int kConnectTimedOut = ETIMEDOUT;
constexpr int kReset = ECONNRESET;
constexpr int kInterrupted = EINTR;

int LastError() { return errno; }
bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS;
}
void CloseSocket(NativeSocket socket) { close(socket); }

bool MakeNonBlocking(NativeSocket socket)
{
    const int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

std::string SystemText(int error)
{
    return std::strerror(error);
}
}  // namespace

SocketLibrary::SocketLibrary()
{
    // A write to a connection the receiver has reset must fail, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    m_started = true;
}

SocketLibrary::~SocketLibrary() = default;
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::string ErrorText(int error)
{
    // Some systems (Wine among them) have no text for some socket errors.
    const std::string text = SystemText(error);
    const std::string code = "error " + std::to_string(error);
    return text.empty() ? code : text + " (" + code + ")";
}

DeliveryResult Result(DeliveryOutcome outcome, std::string detail)
{
    return DeliveryResult{outcome, std::move(detail), false};
}

class ScopedSocket {
public:
    explicit ScopedSocket(NativeSocket socket) : m_socket(socket) {}
    ~ScopedSocket()
    {
        if (m_socket != kNoSocket) CloseSocket(m_socket);
    }
    ScopedSocket(const ScopedSocket&) = delete;
    ScopedSocket& operator=(const ScopedSocket&) = delete;
    NativeSocket Get() const { return m_socket; }

private:
    NativeSocket m_socket;
};

enum class Readiness { Ready, TimedOut, Failed };

// Waits until the socket can be written (or, for a connect, has finished either way) or
// read, or the deadline has passed.
Readiness WaitUntilReady(NativeSocket socket, bool forWriting, Clock::time_point deadline)
{
    for (;;) {
        using std::chrono::microseconds;
        const auto remaining = std::chrono::duration_cast<microseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) return Readiness::TimedOut;
        fd_set ready;
        fd_set failed;  // Winsock reports a failed connect here
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(socket, &ready);
        FD_SET(socket, &failed);
        timeval wait{};
        wait.tv_sec = static_cast<long>(remaining.count() / 1000000);
        wait.tv_usec = static_cast<long>(remaining.count() % 1000000);
        const int count = select(static_cast<int>(socket + 1), forWriting ? nullptr : &ready,
                                 forWriting ? &ready : nullptr, &failed, &wait);
        if (count > 0) return Readiness::Ready;
        if (count < 0 && LastError() != kInterrupted) return Readiness::Failed;
    }
}

// A switched-off machine on the local network, a missing route and a firewall that answers
// "prohibited" all end in "unreachable"; like a refusal, they may pass.
DeliveryResult ConnectFailure(int error)
{
    if (error == kRefused) return Result(DeliveryOutcome::Refused, ErrorText(error));
    if (error == kHostUnreachable || error == kNetworkUnreachable) {
        return Result(DeliveryOutcome::Unreachable, ErrorText(error));
    }
    if (error == kConnectTimedOut) return Result(DeliveryOutcome::TimedOut, ErrorText(error));
    return Result(DeliveryOutcome::Failed, "cannot connect: " + ErrorText(error));
}

DeliveryResult Connect(NativeSocket socket, const Ipv4Endpoint& endpoint,
                       Clock::time_point deadline)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = endpoint.port;
    address.sin_addr.s_addr = endpoint.address;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return Result(DeliveryOutcome::Delivered, "");
    }
    const int error = LastError();
    if (!WouldBlock(error)) return ConnectFailure(error);
    const Readiness readiness = WaitUntilReady(socket, true, deadline);
    if (readiness == Readiness::TimedOut) return Result(DeliveryOutcome::TimedOut, "no answer");
    int outcome = 0;
    AddressLength length = sizeof outcome;
    if (readiness == Readiness::Failed ||
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&outcome), &length) != 0) {
        return ConnectFailure(LastError());
    }
    if (outcome != 0) return ConnectFailure(outcome);
    return Result(DeliveryOutcome::Delivered, "");
}

DeliveryResult Write(NativeSocket socket, std::string_view bytes, Clock::time_point deadline)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - written, 65536));
        const auto count = send(socket, bytes.data() + written, chunk, 0);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        const int error = LastError();
        if (!WouldBlock(error) && error != kInterrupted) {
            return Result(DeliveryOutcome::Failed,
                          "connection lost while sending: " + ErrorText(error));
        }
        const Readiness readiness = WaitUntilReady(socket, true, deadline);
        if (readiness == Readiness::TimedOut) {
            return Result(DeliveryOutcome::TimedOut,
                          "the connection was made, but the receiver took no more of the line");
        }
        if (readiness == Readiness::Failed) {
            return Result(DeliveryOutcome::Failed, "waiting to send: " + ErrorText(LastError()));
        }
    }
    return Result(DeliveryOutcome::Delivered, "");
}

DeliveryResult WaitForClose(NativeSocket socket, Clock::time_point deadline)
{
    char discarded[256];
    for (;;) {
        const auto count = recv(socket, discarded, sizeof discarded, 0);
        // The receiver never answers; whatever arrives is not part of the protocol.
        if (count > 0) continue;
        if (count == 0) return Result(DeliveryOutcome::Delivered, "");
        const int error = LastError();
        // A receiver that stops reading at its line limit closes with our line end still
        // unread, which resets the connection: it has read the line all the same.
        if (error == kReset) return Result(DeliveryOutcome::Delivered, "");
        if (!WouldBlock(error) && error != kInterrupted) {
            return Result(DeliveryOutcome::Failed, "waiting for the receiver: " + ErrorText(error));
        }
        const Readiness readiness = WaitUntilReady(socket, false, deadline);
        if (readiness == Readiness::TimedOut) {
            return Result(DeliveryOutcome::TimedOut,
                          "the connection was made, but the receiver did not read the line");
        }
        if (readiness == Readiness::Failed) {
            return Result(DeliveryOutcome::Failed,
                          "waiting for the receiver: " + ErrorText(LastError()));
        }
    }
}

}  // namespace

DeliveryResult ResolveIpv4(const std::string& host, std::uint16_t port, Ipv4Endpoint& endpoint)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return Result(DeliveryOutcome::UnknownHost, "no IPv4 address found");
    }
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    endpoint.address = address->sin_addr.s_addr;
    endpoint.port = htons(port);
    freeaddrinfo(found);
    return Result(DeliveryOutcome::Delivered, "");
}

DeliveryResult DeliverLine(const Ipv4Endpoint& endpoint, std::string_view line, int timeoutSeconds)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    ScopedSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (socket.Get() == kNoSocket || !MakeNonBlocking(socket.Get())) {
        return Result(DeliveryOutcome::Failed, "cannot create a socket: " + ErrorText(LastError()));
    }
    DeliveryResult result = Connect(socket.Get(), endpoint, deadline);
    if (result.outcome != DeliveryOutcome::Delivered) return result;
    result = Write(socket.Get(), line, deadline);
    if (result.outcome == DeliveryOutcome::Delivered) result = WaitForClose(socket.Get(), deadline);
    result.connected = true;
    return result;
}
