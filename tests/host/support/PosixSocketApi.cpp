#include "support/PosixSocketApi.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kWsaNotInitialised = 10093;

// Winsock keeps the last error per thread; so does this.
thread_local int t_lastError = 0;

int FailWith(int code)
{
    t_lastError = code;
    return kSocketError;
}

int FailFromErrno()
{
    return FailWith(WinsockErrorFromErrno(errno));
}

int ToFd(SocketHandle s)
{
    return s == 0 || s == kInvalidSocket ? -1 : static_cast<int>(s - 1);
}

SocketHandle ToHandle(int fd)
{
    return fd < 0 ? kInvalidSocket : static_cast<SocketHandle>(fd) + 1;
}

int HostLookupErrorFrom(int gaiError)
{
    switch (gaiError) {
    case EAI_NONAME: return 11001;  // WSAHOST_NOT_FOUND
    case EAI_AGAIN: return 11002;   // WSATRY_AGAIN
#ifdef EAI_NODATA
    case EAI_NODATA: return 11004;  // WSANO_DATA
#endif
    default: return 11003;          // WSANO_RECOVERY
    }
}

}  // namespace

int WinsockErrorFromErrno(int error)
{
    switch (error) {
    case EINTR: return 10004;
    case EBADF: return 10038;  // a closed handle is "not a socket" to Winsock
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return 10022;
    }
}

PosixSocketApi::PosixSocketApi(std::string hostName) : m_hostName(std::move(hostName)) {}

PosixSocketApi::~PosixSocketApi()
{
    for (int fd : m_openSockets) {
        ::close(fd);
    }
}

int PosixSocketApi::WSAStartup(std::uint16_t)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_references;
    ++m_startups;
    return 0;
}

// Like Winsock's last release, this takes every socket away from its users; the sockets
// are shut down rather than closed, so that a descriptor number is never closed twice.
int PosixSocketApi::WSACleanup()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_references == 0) {
        return FailWith(kWsaNotInitialised);
    }
    ++m_cleanups;
    if (--m_references == 0) {
        for (int fd : m_openSockets) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    return 0;
}

int PosixSocketApi::WSAGetLastError()
{
    return t_lastError;
}

int PosixSocketApi::gethostname(char* name, int length)
{
    if (m_hostName.empty()) {
        return ::gethostname(name, static_cast<std::size_t>(length)) == 0 ? 0 : FailFromErrno();
    }
    if (m_hostName.size() >= static_cast<std::size_t>(length)) {
        return FailWith(10014);  // WSAEFAULT: the buffer is too small
    }
    std::memcpy(name, m_hostName.c_str(), m_hostName.size() + 1);
    return 0;
}

const HostEntry* PosixSocketApi::gethostbyname(const char* name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name, nullptr, &hints, &found);
    if (result != 0) {
        t_lastError = HostLookupErrorFrom(result);
        return nullptr;
    }
    m_host.name = found->ai_canonname != nullptr ? found->ai_canonname : name;
    m_host.addresses.clear();
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        m_host.addresses.push_back(address->sin_addr.s_addr);
    }
    ::freeaddrinfo(found);
    return &m_host;
}

std::string PosixSocketApi::inet_ntoa(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &value, dotted, sizeof dotted);
    return dotted;
}

std::uint32_t PosixSocketApi::inet_addr(const char* dotted)
{
    return ::inet_addr(dotted);
}

void PosixSocketApi::Register(int fd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openSockets.insert(fd);
    // A socket that arrives after the last release (an accept racing with it) is shut
    // down at once, as the release would have done.
    if (m_references == 0) {
        ::shutdown(fd, SHUT_RDWR);
    }
}

SocketHandle PosixSocketApi::socket(int family, int type, int protocol)
{
    const int fd = ::socket(family == kAfInet ? AF_INET : family, type == kSockStream ? SOCK_STREAM : type,
                            protocol == kIpprotoTcp ? IPPROTO_TCP : protocol);
    if (fd < 0) {
        FailFromErrno();
        return kInvalidSocket;
    }
    Register(fd);
    return ToHandle(fd);
}

int PosixSocketApi::bind(SocketHandle s, const SocketAddressIn& address, int length)
{
    if (length < static_cast<int>(sizeof(sockaddr_in))) {
        return FailWith(10014);
    }
    sockaddr_in native{};
    native.sin_family = address.family == kAfInet ? AF_INET : address.family;
    native.sin_port = address.port;
    native.sin_addr.s_addr = address.address;
    if (::bind(ToFd(s), reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0) {
        return FailFromErrno();
    }
    return 0;
}

int PosixSocketApi::listen(SocketHandle s, int backlog)
{
    return ::listen(ToFd(s), backlog) == 0 ? 0 : FailFromErrno();
}

SocketHandle PosixSocketApi::accept(SocketHandle s, SocketAddressIn* peer, int* length)
{
    if (length != nullptr && *length < static_cast<int>(sizeof(sockaddr_in))) {
        FailWith(10014);
        return kInvalidSocket;
    }
    sockaddr_in native{};
    socklen_t nativeLength = sizeof native;
    int fd;
    do {
        fd = ::accept(ToFd(s), reinterpret_cast<sockaddr*>(&native), &nativeLength);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FailFromErrno();
        return kInvalidSocket;
    }
    Register(fd);
    if (peer != nullptr) {
        peer->family = kAfInet;
        peer->port = native.sin_port;
        peer->address = native.sin_addr.s_addr;
    }
    if (length != nullptr) {
        *length = sizeof(sockaddr_in);
    }
    return ToHandle(fd);
}

int PosixSocketApi::recv(SocketHandle s, char* buffer, int length, int flags)
{
    if ((flags & ~kMsgPeek) != 0) {
        return FailWith(10045);  // WSAEOPNOTSUPP: no other flag is modelled
    }
    const int nativeFlags = (flags & kMsgPeek) != 0 ? MSG_PEEK : 0;
    ssize_t received;
    do {
        received = ::recv(ToFd(s), buffer, static_cast<std::size_t>(length), nativeFlags);
    } while (received < 0 && errno == EINTR);
    return received < 0 ? FailFromErrno() : static_cast<int>(received);
}

int PosixSocketApi::select(SocketHandle s, int milliseconds)
{
    pollfd waiting{ToFd(s), POLLIN, 0};
    const int ready = ::poll(&waiting, 1, milliseconds);
    return ready < 0 ? FailFromErrno() : ready;
}

int PosixSocketApi::setsockopt(SocketHandle s, int level, int name, const void* value, int length)
{
    if (level != kSolSocket || name != kSoLinger || length != static_cast<int>(sizeof(SocketLinger))) {
        return FailWith(10042);  // WSAENOPROTOOPT: the listener sets no other option
    }
    SocketLinger option;
    std::memcpy(&option, value, sizeof option);
    const linger native{option.onoff, option.seconds};
    if (::setsockopt(ToFd(s), SOL_SOCKET, SO_LINGER, &native, sizeof native) != 0) {
        return FailFromErrno();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (option.onoff != 0 && option.seconds == 0) {
        m_resetOnClose.insert(ToFd(s));
    } else {
        m_resetOnClose.erase(ToFd(s));
    }
    return 0;
}

int PosixSocketApi::shutdown(SocketHandle s, int how)
{
    // SD_RECEIVE, SD_SEND and SD_BOTH have the values of SHUT_RD, SHUT_WR and SHUT_RDWR.
    return ::shutdown(ToFd(s), how) == 0 ? 0 : FailFromErrno();
}

// On Linux a plain close does not wake a thread blocked in accept or recv on the same
// socket, as Winsock's closesocket does; shutting it down first does. A connection that is
// to be reset is only shut down for receiving, which sends nothing: its close resets it.
int PosixSocketApi::closesocket(SocketHandle s)
{
    const int fd = ToFd(s);
    bool reset = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_openSockets.erase(fd) == 0) {
            return FailWith(10038);  // WSAENOTSOCK
        }
        reset = m_resetOnClose.erase(fd) > 0;
    }
    ::shutdown(fd, reset ? SHUT_RD : SHUT_RDWR);
    return ::close(fd) == 0 ? 0 : FailFromErrno();
}
