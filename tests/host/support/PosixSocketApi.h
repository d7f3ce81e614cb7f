#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>

#include "net/SocketApi.h"

// The socket seam over POSIX sockets, for running the listener over real loopback TCP.
// Errors come back as the Winsock codes. It behaves like Winsock where the listener's
// stopping depends on it: closing a socket wakes a thread blocked on it, and releasing
// the library for the last time shuts down every socket still open, which wakes a blocked
// recv. Handles are file descriptors plus one, so that 0 never names a socket.
class PosixSocketApi : public SocketApi {
public:
    // `hostName`, when not empty, is what gethostname reports instead of the machine's name.
    explicit PosixSocketApi(std::string hostName = {});
    ~PosixSocketApi() override;

    int WSAStartup(std::uint16_t version) override;
    int WSACleanup() override;
    int WSAGetLastError() override;

    int gethostname(char* name, int length) override;
    const HostEntry* gethostbyname(const char* name) override;
    std::string inet_ntoa(std::uint32_t address) override;
    std::uint32_t inet_addr(const char* dotted) override;

    SocketHandle socket(int family, int type, int protocol) override;
    int bind(SocketHandle s, const SocketAddressIn& address, int length) override;
    int listen(SocketHandle s, int backlog) override;
    SocketHandle accept(SocketHandle s, SocketAddressIn* peer, int* length) override;
    int recv(SocketHandle s, char* buffer, int length, int flags) override;
    int select(SocketHandle s, int milliseconds) override;
    int setsockopt(SocketHandle s, int level, int name, const void* value, int length) override;
    int shutdown(SocketHandle s, int how) override;
    int closesocket(SocketHandle s) override;

    int Startups() const { return m_startups; }
    int Cleanups() const { return m_cleanups; }

private:
    void Register(int fd);

    std::string m_hostName;
    HostEntry m_host;

    std::mutex m_mutex;
    std::set<int> m_openSockets;  // guarded by m_mutex
    std::set<int> m_resetOnClose;  // guarded by m_mutex: linger on, 0 seconds
    int m_references = 0;         // guarded by m_mutex
    std::atomic<int> m_startups{0};
    std::atomic<int> m_cleanups{0};
};

// The Winsock error code for an errno value.
int WinsockErrorFromErrno(int error);
