#include "send/HostLookup.h"

#include <algorithm>
#include <atomic>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace {

// A name lookup may wait for a name server: a few go on at once, however many hosts.
constexpr std::size_t kLookupThreads = 8;

struct Lookup {
    bool found = false;
    Ipv4Endpoint endpoint;
};

Lookup LookUp(const std::string& host, std::uint16_t port)
{
    Lookup lookup;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return lookup;
    lookup.found = true;
    lookup.endpoint.address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    lookup.endpoint.port = htons(port);
    freeaddrinfo(found);
    return lookup;
}

std::vector<Lookup> LookUpAll(const std::vector<std::string>& hosts, std::uint16_t port)
{
    std::vector<Lookup> lookups(hosts.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < hosts.size(); i = next++) lookups[i] = LookUp(hosts[i], port);
    };
    std::vector<std::thread> helpers;
    const std::size_t threads = std::min(kLookupThreads, hosts.size());
    for (std::size_t i = 1; i < threads; ++i) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();
    return lookups;
}

}  // namespace

std::vector<std::unique_ptr<Desk>> OpenDesks(const SendOptions& options, Reporter& reporter)
{
    const std::vector<Lookup> lookups = LookUpAll(options.hosts, options.port);
    std::vector<std::unique_ptr<Desk>> desks;
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        if (!lookups[i].found) {
            reporter.Fail(ExitCode::UnknownHost,
                          "unknown host \"" + options.hosts[i] + "\": no IPv4 address found");
            continue;
        }
        desks.push_back(std::make_unique<Desk>(options.hosts[i], lookups[i].endpoint, options,
                                               reporter));
    }
    return desks;
}
