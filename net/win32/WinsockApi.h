#pragma once

#include "net/SocketApi.h"

// The socket seam over ws2_32, as the program uses it.
class WinsockApi : public SocketApi {
public:
    WinsockApi() = default;
    ~WinsockApi() override;
    WinsockApi(const WinsockApi&) = delete;
    WinsockApi& operator=(const WinsockApi&) = delete;

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
    int recvWithin(SocketHandle s, char* buffer, int length, int flags, int milliseconds) override;
    int setsockopt(SocketHandle s, int level, int name, const void* value, int length) override;
    int shutdown(SocketHandle s, int how) override;
    int closesocket(SocketHandle s) override;

private:
    HostEntry m_host;
    // Set when a receive of recvWithin has ended; made at its first use.
    void* m_receiveEnded = nullptr;
};
