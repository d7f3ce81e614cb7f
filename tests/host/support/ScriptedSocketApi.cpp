#include "support/ScriptedSocketApi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kWsaEintr = 10004;
constexpr int kWsaNotInitialised = 10093;

std::string Join(std::initializer_list<std::string> parts)
{
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ",") + part;
    }
    return text;
}

std::string Handle(SocketHandle s)
{
    return s == kInvalidSocket ? "INVALID" : std::to_string(s);
}

}  // namespace

ScriptedSocketApi::ScriptedSocketApi()
{
    host.name = "scripted-host";
    host.addresses = {0x0100007F};
}

void ScriptedSocketApi::Script(const std::string& call, Outcome outcome)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script[call].push_back(std::move(outcome));
}

void ScriptedSocketApi::Fail(const std::string& call, std::intmax_t result, int error)
{
    Outcome outcome;
    outcome.result = result;
    outcome.error = error;
    Script(call, outcome);
}

SocketHandle ScriptedSocketApi::Connect()
{
    Outcome outcome;
    outcome.result = static_cast<std::intmax_t>(++m_lastConnection);
    Script("accept", outcome);
    return m_lastConnection;
}

void ScriptedSocketApi::ScriptRecv(Outcome outcome)
{
    Script("recv:" + Handle(m_lastConnection), std::move(outcome));
}

void ScriptedSocketApi::FailRecv(std::intmax_t result, int error)
{
    Outcome outcome;
    outcome.result = result;
    outcome.error = error;
    ScriptRecv(outcome);
}

void ScriptedSocketApi::Send(const std::string& bytes)
{
    if (bytes.empty()) {
        return;
    }
    Outcome outcome;
    outcome.result = static_cast<std::intmax_t>(bytes.size());
    outcome.bytes = bytes;
    ScriptRecv(outcome);
}

std::vector<std::string> ScriptedSocketApi::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<std::string> ScriptedSocketApi::CallsNamed(const std::vector<std::string>& names) const
{
    std::vector<std::string> selected;
    for (const std::string& call : Calls()) {
        const std::string name = call.substr(0, call.find('('));
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            selected.push_back(call);
        }
    }
    return selected;
}

bool ScriptedSocketApi::Next(const std::string& call, const std::string& arguments, Outcome& outcome)
{
    return Next(call, arguments, call, outcome);
}

bool ScriptedSocketApi::Next(const std::string& call, const std::string& arguments, const std::string& queue,
                             Outcome& outcome, const std::function<bool(Outcome&)>& keep)
{
    if (onEveryCall) {
        onEveryCall();
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call + "(" + arguments + ")");
        auto& outcomes = m_script[queue];
        if (outcomes.empty()) {
            return false;
        }
        outcome = outcomes.front();
        if (!keep || !keep(outcomes.front())) {
            outcomes.pop_front();
        }
    }
    if (outcome.action) {
        outcome.action();
    }
    if (outcome.error != 0) {
        m_lastError = outcome.error;
    }
    return true;
}

int ScriptedSocketApi::WSAStartup(std::uint16_t version)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(version));
    Outcome outcome;
    return Next("WSAStartup", text, outcome) ? static_cast<int>(outcome.result) : 0;
}

int ScriptedSocketApi::WSACleanup()
{
    Outcome outcome;
    return Next("WSACleanup", "", outcome) ? static_cast<int>(outcome.result) : 0;
}

int ScriptedSocketApi::WSAGetLastError()
{
    return m_lastError;
}

int ScriptedSocketApi::gethostname(char* name, int length)
{
    Outcome outcome;
    if (Next("gethostname", std::to_string(length), outcome)) {
        outcome.bytes.copy(name, static_cast<std::size_t>(length));  // what a failure may leave
        return static_cast<int>(outcome.result);
    }
    if (hostName.size() > static_cast<std::size_t>(length)) {
        m_lastError = 10014;
        return kSocketError;
    }
    // Like gethostname, no terminating zero when the name fills the buffer exactly.
    std::memcpy(name, hostName.data(), hostName.size());
    if (hostName.size() < static_cast<std::size_t>(length)) {
        name[hostName.size()] = '\0';
    }
    return 0;
}

const HostEntry* ScriptedSocketApi::gethostbyname(const char* name)
{
    Outcome outcome;
    if (Next("gethostbyname", name, outcome) && outcome.result == 0) {
        return nullptr;
    }
    return &host;
}

std::string ScriptedSocketApi::inet_ntoa(std::uint32_t address)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    Outcome outcome;
    Next("inet_ntoa", dotted, outcome);
    return dotted;
}

std::uint32_t ScriptedSocketApi::inet_addr(const char* dotted)
{
    Outcome outcome;
    if (Next("inet_addr", dotted, outcome)) {
        return static_cast<std::uint32_t>(outcome.result);
    }
    unsigned parts[4] = {};
    char rest = 0;
    if (std::sscanf(dotted, "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &rest) != 4) {
        return kInaddrNone;
    }
    const unsigned char bytes[4] = {static_cast<unsigned char>(parts[0]), static_cast<unsigned char>(parts[1]),
                                    static_cast<unsigned char>(parts[2]), static_cast<unsigned char>(parts[3])};
    std::uint32_t address;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

SocketHandle ScriptedSocketApi::socket(int family, int type, int protocol)
{
    Outcome outcome;
    if (Next("socket", Join({std::to_string(family), std::to_string(type), std::to_string(protocol)}), outcome)) {
        return static_cast<SocketHandle>(outcome.result);
    }
    return 100;
}

int ScriptedSocketApi::bind(SocketHandle s, const SocketAddressIn& address, int length)
{
    m_bindAddress = address;
    Outcome outcome;
    return Next("bind", Join({Handle(s), std::to_string(length)}), outcome) ? static_cast<int>(outcome.result) : 0;
}

int ScriptedSocketApi::listen(SocketHandle s, int backlog)
{
    Outcome outcome;
    return Next("listen", Join({Handle(s), std::to_string(backlog)}), outcome) ? static_cast<int>(outcome.result)
                                                                                : 0;
}

SocketHandle ScriptedSocketApi::accept(SocketHandle s, SocketAddressIn* peer, int* length)
{
    Outcome outcome;
    const bool scripted = Next("accept", Join({Handle(s), length ? std::to_string(*length) : "null"}), outcome);
    if (!scripted) {
        if (m_run != nullptr) {
            *m_run = false;
        }
        m_lastError = kWsaEintr;
        return kInvalidSocket;
    }
    if (outcome.result == static_cast<std::intmax_t>(kInvalidSocket) || outcome.result < 0) {
        return kInvalidSocket;
    }
    if (peer != nullptr) {
        peer->family = kAfInet;
        peer->address = peerAddress;
        peer->port = 0xD204;
    }
    if (length != nullptr) {
        *length = 16;
    }
    return static_cast<SocketHandle>(outcome.result);
}

int ScriptedSocketApi::recv(SocketHandle s, char* buffer, int length, int flags)
{
    const std::size_t wanted = length > 0 ? static_cast<std::size_t>(length) : 0;
    const bool peek = (flags & kMsgPeek) != 0;
    // A segment stays queued when peeked, and keeps what a plain recv leaves of it; its
    // action runs only the first time it is met.
    const auto keep = [&](Outcome& front) {
        if (front.result <= 0 || (!peek && front.bytes.size() <= wanted)) {
            return false;
        }
        front.action = nullptr;
        front.bytes.erase(0, peek ? 0 : wanted);
        front.result = static_cast<std::intmax_t>(front.bytes.size());
        return true;
    };
    Outcome outcome;
    if (!Next("recv", Join({Handle(s), std::to_string(length), std::to_string(flags)}), "recv:" + Handle(s),
              outcome, keep)) {
        return 0;
    }
    if (outcome.result > 0) {
        const std::size_t count = std::min(wanted, outcome.bytes.size());
        std::memcpy(buffer, outcome.bytes.data(), count);
        return static_cast<int>(count);
    }
    return static_cast<int>(outcome.result);
}

// Recorded without the time: what is left of a wait depends on the machine's speed.
int ScriptedSocketApi::select(SocketHandle s, int)
{
    Outcome outcome;
    return Next("select", Handle(s), outcome) ? static_cast<int>(outcome.result) : 1;
}

// Recorded as "linger(200,1,0)": the listener sets no other option.
int ScriptedSocketApi::setsockopt(SocketHandle s, int level, int name, const void* value, int length)
{
    SocketLinger option;
    if (level == kSolSocket && name == kSoLinger && length == static_cast<int>(sizeof option)) {
        std::memcpy(&option, value, sizeof option);
    }
    Outcome outcome;
    return Next("linger", Join({Handle(s), std::to_string(option.onoff), std::to_string(option.seconds)}), outcome)
               ? static_cast<int>(outcome.result)
               : 0;
}

int ScriptedSocketApi::shutdown(SocketHandle s, int how)
{
    Outcome outcome;
    return Next("shutdown", Join({Handle(s), std::to_string(how)}), outcome) ? static_cast<int>(outcome.result) : 0;
}

int ScriptedSocketApi::closesocket(SocketHandle s)
{
    Outcome outcome;
    return Next("closesocket", Handle(s), outcome) ? static_cast<int>(outcome.result) : 0;
}

bool ScriptedSocketApi::Pause(int milliseconds)
{
    Outcome outcome;
    Next("Pause", std::to_string(milliseconds), outcome);
    return m_run == nullptr || *m_run;
}
