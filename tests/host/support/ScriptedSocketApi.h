#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "net/ListenerPause.h"
#include "net/SocketApi.h"

// A socket seam that plays a script, for the listener's failure paths. Each call takes
// the next outcome scripted for its name (a result, the error code it leaves, and an
// optional action run inside the call), or succeeds when none is left. Every call is
// recorded in order, as its name and arguments, e.g. "closesocket(100)".
//
// Unscripted behaviour: the host "scripted-host" with the address 127.0.0.1; socket
// gives 100. Connect() scripts the next accept to give a new connection (200, 201, ...)
// from the peer 127.0.0.1; recv on a connection plays what ScriptRecv and Send queued for
// it (Send: one segment, of which a recv hands over at most the rest, and a peeking recv
// leaves all queued), then returns 0 (the sender closed); select finds it readable.
// When accept has no outcome left it plays an exit: it clears the run flag given to
// StopAtLastAccept, if any, and fails as a closed listening socket does. It also plays
// the listener's pause, recorded as "Pause(ms)" among the calls, which takes no time and
// says whether that run flag is still set.
class ScriptedSocketApi : public SocketApi, public ListenerPause {
public:
    struct Outcome {
        std::intmax_t result = 0;
        int error = 0;
        std::function<void()> action;
        std::string bytes;  // what a successful recv delivers
    };

    ScriptedSocketApi();

    void Script(const std::string& call, Outcome outcome);
    void Fail(const std::string& call, std::intmax_t result, int error);
    // Scripts a connection for the next accept; the following recv scripts are its own.
    SocketHandle Connect();
    void ScriptRecv(Outcome outcome);
    void FailRecv(std::intmax_t result, int error);
    // Queues bytes for recv on the last connection, as one segment.
    void Send(const std::string& bytes);
    void StopAtLastAccept(std::atomic<bool>* run) { m_run = run; }

    // Run at the start of every call, before its outcome.
    std::function<void()> onEveryCall;

    HostEntry host;
    std::string hostName = "scripted-host";
    std::uint32_t peerAddress = 0x0100007F;  // 127.0.0.1 in network byte order

    std::vector<std::string> Calls() const;
    // The recorded calls whose names are among `names`, in order.
    std::vector<std::string> CallsNamed(const std::vector<std::string>& names) const;
    SocketAddressIn LastBindAddress() const { return m_bindAddress; }

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

    bool Pause(int milliseconds) override;

private:
    // Records the call and takes its next outcome; false when none is scripted.
    bool Next(const std::string& call, const std::string& arguments, Outcome& outcome);
    // `keep`, when given, may shorten the front outcome to what stays queued (true) after
    // the call has taken its copy; otherwise the outcome is used up.
    bool Next(const std::string& call, const std::string& arguments, const std::string& queue, Outcome& outcome,
              const std::function<bool(Outcome&)>& keep = nullptr);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::map<std::string, std::deque<Outcome>> m_script;
    std::atomic<bool>* m_run = nullptr;
    std::atomic<int> m_lastError{0};
    SocketHandle m_lastConnection = 199;
    SocketAddressIn m_bindAddress;
};
