#pragma once

#include "net/SocketApi.h"

// A socket seam on which every call fails; test doubles override the few calls they need.
class FailingSocketApi : public SocketApi {
public:
    int WSAStartup(std::uint16_t) override { return kSocketError; }
    int WSACleanup() override { return kSocketError; }
    int WSAGetLastError() override { return 0; }
    int gethostname(char*, int) override { return kSocketError; }
    const HostEntry* gethostbyname(const char*) override { return nullptr; }
    std::string inet_ntoa(std::uint32_t) override { return {}; }
    std::uint32_t inet_addr(const char*) override { return kInaddrNone; }
    SocketHandle socket(int, int, int) override { return kInvalidSocket; }
    int bind(SocketHandle, const SocketAddressIn&, int) override { return kSocketError; }
    int listen(SocketHandle, int) override { return kSocketError; }
    SocketHandle accept(SocketHandle, SocketAddressIn*, int*) override { return kInvalidSocket; }
    int recv(SocketHandle, char*, int, int) override { return kSocketError; }
    int select(SocketHandle, int) override { return kSocketError; }
    int setsockopt(SocketHandle, int, int, const void*, int) override { return kSocketError; }
    int shutdown(SocketHandle, int) override { return kSocketError; }
    int closesocket(SocketHandle) override { return kSocketError; }
};
