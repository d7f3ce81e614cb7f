#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// An IPv4 address and port, both in network byte order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

enum class DeliveryOutcome { Delivered, UnknownHost, Refused, Unreachable, TimedOut, Failed };

struct DeliveryResult {
    DeliveryOutcome outcome = DeliveryOutcome::Delivered;
    std::string detail;  // what went wrong, for the error message
    // The receiver accepted the connection: from then on it may have shown the line.
    bool connected = false;
};

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

// Looks up the first IPv4 address of `host` (a name or a dotted address).
DeliveryResult ResolveIpv4(const std::string& host, std::uint16_t port, Ipv4Endpoint& endpoint);

// Opens one connection, writes `line` and waits until the receiver closes the connection,
// its only sign of having read the line. Connecting, writing and waiting share one
// time-out.
DeliveryResult DeliverLine(const Ipv4Endpoint& endpoint, std::string_view line,
                           int timeoutSeconds);
