#pragma once

#include <winsock2.h>

#include <cstdio>
#include <cstring>

#include "net/LineProtocol.h"

// The listening socket of the benchmark's receivers, set up as Tidemark's listener sets up
// its own: Winsock 1.1, all local addresses, the protocol's port, backlog 2.
// INVALID_SOCKET, with the reason on the error output, when that fails.
inline SOCKET ListenLikeTidemark()
{
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0)
        return INVALID_SOCKET;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(kTidemarkPort);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 2) != 0) {
        std::fprintf(stderr, "cannot listen on port %d: %d\n", kTidemarkPort, WSAGetLastError());
        return INVALID_SOCKET;
    }
    return listener;
}
