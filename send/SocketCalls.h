#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The few socket calls of the sender, the same on POSIX and on Winsock: non-blocking
// sockets, waited for together with poll (WSAPoll), which holds any descriptor.

#ifdef _WIN32
using NativeSocket = std::uintptr_t;  // SOCKET
constexpr NativeSocket kNoSocket = ~static_cast<NativeSocket>(0);
#else
using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;
#endif

// An IPv4 address and port, both in network byte order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// What a socket call's error means to the sender.
enum class SocketError {
    None, WouldBlock, Reset, Refused, Unreachable, TimedOut, NoDescriptors, Other
};

SocketError Classify(int error);
int LastSocketError();
// The system's text and the number: "Connection refused (error 111)".
std::string ErrorText(int error);

// Starts the platform's sockets library for the life of the object (Winsock needs it; on
// POSIX systems it only keeps a lost connection from ending the process by SIGPIPE).
class SocketLibrary {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;
    bool Started() const { return m_started; }

private:
    bool m_started = false;
};

// A non-blocking TCP socket, or kNoSocket (LastSocketError() says why).
NativeSocket OpenNonBlockingSocket();
void CloseSocket(NativeSocket socket);
// 0 when connected at once, else the error (WouldBlock while it goes on).
int StartConnect(NativeSocket socket, const Ipv4Endpoint& endpoint);
// The outcome of a connect that went on in the background: 0 or the error.
int ConnectOutcome(NativeSocket socket);
// The count of bytes written or read; -1 with LastSocketError() on failure.
long SendSome(NativeSocket socket, const char* data, std::size_t size);
long ReceiveSome(NativeSocket socket, char* data, std::size_t size);
// After ReceiveSome gave 0, the reset that this close really was (its error), or 0 for an
// orderly close.
int ResetBehindClose(NativeSocket socket);

struct SocketWatch {
    NativeSocket socket = kNoSocket;
    bool forWriting = false;  // else for reading
    bool ready = false;       // set by WaitForSockets, also for an error or a hang-up
};

// Waits until one of the sockets is ready or `milliseconds` have passed.
void WaitForSockets(std::vector<SocketWatch>& watches, int milliseconds);

// Raises the limit of open descriptors towards `wanted` as far as the system lets this
// process, and tells how many it may hold.
std::size_t RaiseOpenFileLimit(std::size_t wanted);
