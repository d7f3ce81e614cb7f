#pragma once

// The Winsock error codes that the listener tells apart (WSAGetLastError's values).
constexpr int kWsaeInval = 10022;        // the socket does not listen
constexpr int kWsaeMfile = 10024;        // no descriptors left
constexpr int kWsaeWouldBlock = 10035;   // the socket no longer blocks
constexpr int kWsaeNotSock = 10038;      // not a socket
constexpr int kWsaeOpNotSupp = 10045;    // not a socket that listens
constexpr int kWsaeNetDown = 10050;      // the network subsystem failed
constexpr int kWsaeConnAborted = 10053;  // the connection was aborted before it was taken
constexpr int kWsaeConnReset = 10054;    // the sender reset the connection before it was taken
constexpr int kWsaeNoBufs = 10055;       // no buffer space left
// Wine's accept for a connection that its sender reset before it was taken (the system
// has it already gone when Wine asks for its peer).
constexpr int kWsaeNotConn = 10057;
