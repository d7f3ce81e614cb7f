#pragma once

#include "net/SocketApi.h"

// A socket seam whose last error is a fixed code; every other call fails. Enough for the
// operations that only read the last error.
class FixedErrorSocketApi : public SocketApi {
public:
    explicit FixedErrorSocketApi(int lastError) : lastError_(lastError) {}

    int lastErrorReads = 0;

    int WSAGetLastError() override
    {
        ++lastErrorReads;
        return lastError_;
    }

    int WSAStartup(std::uint16_t) override { return lastError_; }
    int WSACleanup() override { return kSocketError; }
    int gethostname(char*, int) override { return kSocketError; }
    const HostEntry* gethostbyname(const char*) override { return nullptr; }
    std::string inet_ntoa(std::uint32_t) override { return {}; }
    std::uint32_t inet_addr(const char*) override { return kInaddrNone; }
    SocketHandle socket(int, int, int) override { return kInvalidSocket; }
    int bind(SocketHandle, const SocketAddressIn&, int) override { return kSocketError; }
    int listen(SocketHandle, int) override { return kSocketError; }
    SocketHandle accept(SocketHandle, SocketAddressIn*, int*) override { return kInvalidSocket; }
    int recv(SocketHandle, char*, int, int) override { return kSocketError; }
    int shutdown(SocketHandle, int) override { return kSocketError; }
    int closesocket(SocketHandle) override { return kSocketError; }

private:
    int lastError_;
};
