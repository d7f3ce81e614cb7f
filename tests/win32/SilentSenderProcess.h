#pragma once

#include <winsock2.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// A sender that connects and then says nothing, in a process of its own: the test
// program started again with a marker argument. A sender inside the test process would
// not do: releasing the sockets library for good closes every socket of the process,
// the sender's too, and the listener would then see the sender leave instead of
// being woken by the release itself.
class SilentSenderProcess {
public:
    explicit SilentSenderProcess(std::uint16_t port)
    {
        char program[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string commandLine = std::string("\"") + program + "\" " + kMarker + std::to_string(port) +
                                  " " + kParent + std::to_string(::GetCurrentProcessId());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = ::CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &m_process) != FALSE;
    }

    ~SilentSenderProcess()
    {
        if (!m_started) {
            return;
        }
        if (ExitCode() == STILL_ACTIVE) {
            ::TerminateProcess(m_process.hProcess, 0);
            ::WaitForSingleObject(m_process.hProcess, 20000);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }

    SilentSenderProcess(const SilentSenderProcess&) = delete;
    SilentSenderProcess& operator=(const SilentSenderProcess&) = delete;

    bool Started() const { return m_started; }

    // STILL_ACTIVE while it holds its connection; 2 when it could not connect.
    DWORD ExitCode() const
    {
        DWORD code = 0;
        return m_started && ::GetExitCodeProcess(m_process.hProcess, &code) ? code : 0;
    }

    // Called before the tests run: in the sender's process it does the sender's part
    // and ends the process; otherwise it returns at once.
    static void RunIfAsked()
    {
        const char* commandLine = ::GetCommandLineA();
        const char* port = std::strstr(commandLine, kMarker);
        const char* parent = std::strstr(commandLine, kParent);
        if (port == nullptr || parent == nullptr) {
            return;
        }
        ::ExitProcess(ConnectAndWaitForTheParent(
            static_cast<std::uint16_t>(std::strtoul(port + std::strlen(kMarker), nullptr, 10)),
            static_cast<DWORD>(std::strtoul(parent + std::strlen(kParent), nullptr, 10))));
    }

private:
    static constexpr const char* kMarker = "--silent-sender-port=";
    static constexpr const char* kParent = "--silent-sender-parent=";

    // Holds the connection until the test program ends, or a minute at most so that
    // nothing is left behind when the test program dies without ending it.
    static UINT ConnectAndWaitForTheParent(std::uint16_t port, DWORD parentId)
    {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            return 2;
        }
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            return 2;
        }
        const HANDLE parent = ::OpenProcess(SYNCHRONIZE, FALSE, parentId);
        if (parent != nullptr) {
            ::WaitForSingleObject(parent, 60000);
            ::CloseHandle(parent);
        } else {
            ::Sleep(60000);
        }
        ::closesocket(s);
        ::WSACleanup();
        return 0;
    }

    bool m_started = false;
    PROCESS_INFORMATION m_process{};
};
