#pragma once

#include <string>

#include "net/SocketApi.h"

// Explanations of failed socket calls, one table per call. Each operation reads the last
// socket error itself, stores it in `code` whatever follows, and appends the explanation
// worded for that call to `text` (the host-lookup ones append nothing for an unknown code).
void DescribeHostByNameError(SocketApi& sockets, int& code, std::string& text);
void DescribeHostByAddrError(SocketApi& sockets, int& code, std::string& text);
void DescribeSocketError(SocketApi& sockets, int& code, std::string& text);
void DescribeBindError(SocketApi& sockets, int& code, std::string& text);
void DescribeListenError(SocketApi& sockets, int& code, std::string& text);
void DescribeAcceptError(SocketApi& sockets, int& code, std::string& text);
void DescribeRecvError(SocketApi& sockets, int& code, std::string& text);
