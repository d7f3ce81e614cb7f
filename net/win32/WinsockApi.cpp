#include "net/win32/WinsockApi.h"

#include <winsock2.h>

#include <cstring>

static_assert(sizeof(SOCKET) == sizeof(SocketHandle), "a socket handle fits the seam's handle");
static_assert(sizeof(sockaddr_in) == sizeof(SocketAddressIn), "both IPv4 addresses are 16 bytes");
static_assert(INVALID_SOCKET == kInvalidSocket, "the same invalid handle on both sides");
static_assert(MSG_PEEK == kMsgPeek, "recv flags pass through unchanged");
static_assert(SOL_SOCKET == kSolSocket && SO_LINGER == kSoLinger, "options pass through unchanged");
static_assert(sizeof(linger) == sizeof(SocketLinger), "the linger option has Winsock's layout");

namespace {

sockaddr_in ToSockaddr(const SocketAddressIn& address)
{
    sockaddr_in result;
    std::memset(&result, 0, sizeof result);
    result.sin_family = address.family;
    result.sin_port = address.port;
    result.sin_addr.s_addr = address.address;
    return result;
}

SocketAddressIn FromSockaddr(const sockaddr_in& address)
{
    SocketAddressIn result;
    result.family = address.sin_family;
    result.port = address.sin_port;
    result.address = address.sin_addr.s_addr;
    return result;
}

}  // namespace

WinsockApi::~WinsockApi()
{
    if (m_receiveEnded != nullptr)
        ::CloseHandle(m_receiveEnded);
}

int WinsockApi::WSAStartup(std::uint16_t version)
{
    WSADATA data;
    return ::WSAStartup(version, &data);
}

int WinsockApi::WSACleanup()
{
    return ::WSACleanup();
}

int WinsockApi::WSAGetLastError()
{
    return ::WSAGetLastError();
}

int WinsockApi::gethostname(char* name, int length)
{
    return ::gethostname(name, length);
}

// The library's host entry lives only until the thread's next lookup: take a copy.
const HostEntry* WinsockApi::gethostbyname(const char* name)
{
    const hostent* entry = ::gethostbyname(name);
    if (entry == nullptr) {
        return nullptr;
    }
    m_host.name = entry->h_name != nullptr ? entry->h_name : "";
    m_host.addresses.clear();
    if (entry->h_addrtype == AF_INET && entry->h_length == sizeof(std::uint32_t)) {
        for (char** address = entry->h_addr_list; *address != nullptr; ++address) {
            std::uint32_t value;
            std::memcpy(&value, *address, sizeof value);
            m_host.addresses.push_back(value);
        }
    }
    return &m_host;
}

std::string WinsockApi::inet_ntoa(std::uint32_t address)
{
    in_addr value;
    value.s_addr = address;
    const char* dotted = ::inet_ntoa(value);
    return dotted != nullptr ? dotted : "";
}

std::uint32_t WinsockApi::inet_addr(const char* dotted)
{
    return ::inet_addr(dotted);
}

SocketHandle WinsockApi::socket(int family, int type, int protocol)
{
    return ::socket(family, type, protocol);
}

int WinsockApi::bind(SocketHandle s, const SocketAddressIn& address, int length)
{
    const sockaddr_in native = ToSockaddr(address);
    return ::bind(s, reinterpret_cast<const sockaddr*>(&native), length);
}

int WinsockApi::listen(SocketHandle s, int backlog)
{
    return ::listen(s, backlog);
}

SocketHandle WinsockApi::accept(SocketHandle s, SocketAddressIn* peer, int* length)
{
    sockaddr_in native;
    std::memset(&native, 0, sizeof native);
    const SOCKET connection = ::accept(s, reinterpret_cast<sockaddr*>(&native), length);
    if (peer != nullptr) {
        *peer = FromSockaddr(native);
    }
    return connection;
}

int WinsockApi::recv(SocketHandle s, char* buffer, int length, int flags)
{
    return ::recv(s, buffer, length, flags);
}

int WinsockApi::select(SocketHandle s, int milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(s), &readable);
    timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &limit);
}

// One overlapped receive, waited for at most the time given: bytes already there cost no
// more than a plain recv (a select first would cost a wait of its own per line). A receive
// that outlasts the time is cancelled, which loses nothing of a peek. Either way it has
// ended, and the caller's buffer is free again, before this returns; a close of the
// connection by another thread ends it too.
int WinsockApi::recvWithin(SocketHandle s, char* buffer, int length, int flags, int milliseconds)
{
    if (m_receiveEnded == nullptr)
        m_receiveEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_receiveEnded == nullptr)
        return SocketApi::recvWithin(s, buffer, length, flags, milliseconds);

    WSABUF bytes{static_cast<ULONG>(length), buffer};
    DWORD received = 0;
    DWORD receiveFlags = static_cast<DWORD>(flags);
    WSAOVERLAPPED receive{};
    receive.hEvent = m_receiveEnded;
    if (::WSARecv(s, &bytes, 1, &received, &receiveFlags, &receive, nullptr) == 0)
        return static_cast<int>(received);
    if (::WSAGetLastError() != WSA_IO_PENDING)
        return SOCKET_ERROR;
    const bool late = ::WaitForSingleObject(m_receiveEnded, static_cast<DWORD>(milliseconds)) != WAIT_OBJECT_0;
    if (late) {
        ::CancelIoEx(reinterpret_cast<HANDLE>(s), &receive);
        ::WaitForSingleObject(m_receiveEnded, INFINITE);
    }
    if (::WSAGetOverlappedResult(s, &receive, &received, FALSE, &receiveFlags))
        return static_cast<int>(received);
    if (late && ::WSAGetLastError() == WSA_OPERATION_ABORTED)
        return kNothingInTime;
    return SOCKET_ERROR;
}

int WinsockApi::setsockopt(SocketHandle s, int level, int name, const void* value, int length)
{
    return ::setsockopt(s, level, name, static_cast<const char*>(value), length);
}

int WinsockApi::shutdown(SocketHandle s, int how)
{
    return ::shutdown(s, how);
}

int WinsockApi::closesocket(SocketHandle s)
{
    return ::closesocket(s);
}
