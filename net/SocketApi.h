#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The Winsock-shaped seam under the listener: one implementation over ws2_32 in the
// program, one over POSIX sockets and a scripted fake in the tests. Calls keep the
// Winsock names, arguments and results; failures are read with WSAGetLastError().

using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};
constexpr int kSocketError = -1;
// recvWithin: the sender sent nothing (and did not close) within the time given.
constexpr int kNothingInTime = -2;
constexpr std::uint32_t kInaddrNone = 0xFFFFFFFFu;

constexpr int kAfInet = 2;
constexpr int kSockStream = 1;
constexpr int kIpprotoTcp = 6;
constexpr int kSdSend = 1;
constexpr int kSolSocket = 0xFFFF;
constexpr int kSoLinger = 0x0080;
// recv flag: hand over the waiting bytes but leave them in the connection.
constexpr int kMsgPeek = 2;

// The 16-byte IPv4 socket address; port and address in network byte order.
struct SocketAddressIn {
    std::uint16_t family = 0;
    std::uint16_t port = 0;
    std::uint32_t address = 0;
    unsigned char zero[8] = {};
};
static_assert(sizeof(SocketAddressIn) == 16, "an IPv4 socket address is 16 bytes");

// Winsock's linger option: on with 0 seconds makes closesocket reset the connection.
struct SocketLinger {
    std::uint16_t onoff = 0;
    std::uint16_t seconds = 0;
};

// What gethostbyname hands back: the official name and the IPv4 addresses (network
// byte order), owned by the implementation until its next gethostbyname.
struct HostEntry {
    std::string name;
    std::vector<std::uint32_t> addresses;
};

class SocketApi {
public:
    virtual ~SocketApi() = default;

    virtual int WSAStartup(std::uint16_t version) = 0;  // 0 on success
    virtual int WSACleanup() = 0;
    virtual int WSAGetLastError() = 0;

    virtual int gethostname(char* name, int length) = 0;
    virtual const HostEntry* gethostbyname(const char* name) = 0;  // null on failure
    virtual std::string inet_ntoa(std::uint32_t address) = 0;
    virtual std::uint32_t inet_addr(const char* dotted) = 0;

    virtual SocketHandle socket(int family, int type, int protocol) = 0;
    virtual int bind(SocketHandle s, const SocketAddressIn& address, int length) = 0;
    virtual int listen(SocketHandle s, int backlog) = 0;
    virtual SocketHandle accept(SocketHandle s, SocketAddressIn* peer, int* length) = 0;
    virtual int recv(SocketHandle s, char* buffer, int length, int flags) = 0;
    // Waits at most `milliseconds` until `s` can be read without blocking (bytes are
    // waiting, or the sender has closed): 1 when it can, 0 when the time ran out.
    virtual int select(SocketHandle s, int milliseconds) = 0;
    // A recv that waits for the sender at most `milliseconds`: kNothingInTime when the
    // time ran out, otherwise what the recv gave. A select, then the recv; an
    // implementation may do both in one call.
    virtual int recvWithin(SocketHandle s, char* buffer, int length, int flags, int milliseconds)
    {
        const int ready = select(s, milliseconds);
        if (ready == 0) {
            return kNothingInTime;
        }
        return ready < 0 ? kSocketError : recv(s, buffer, length, flags);
    }
    virtual int setsockopt(SocketHandle s, int level, int name, const void* value, int length) = 0;
    virtual int shutdown(SocketHandle s, int how) = 0;
    virtual int closesocket(SocketHandle s) = 0;
};
