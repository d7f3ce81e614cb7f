#pragma once

#include <winsock2.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "net/win32/WinsockApi.h"

// The program's socket seam, unchanged, with a window onto the calls that block: a test
// learns that the listener has entered accept or recv (a recv that waits for a sender's
// bytes at most a while counts as one), and what the call gave back when it woke. It also
// counts the sockets library's start-ups and releases.
class WatchedWinsockApi : public WinsockApi {
public:
    struct Wake {
        bool woke = false;
        std::uintptr_t result = 0;
        int error = 0;
    };

    int WSAStartup(std::uint16_t version) override
    {
        Note([this] { ++m_startups; });
        return WinsockApi::WSAStartup(version);
    }

    int WSACleanup() override
    {
        Note([this] { ++m_cleanups; });
        return WinsockApi::WSACleanup();
    }

    SocketHandle accept(SocketHandle s, SocketAddressIn* peer, int* length) override
    {
        Note([this] { ++m_acceptsEntered; });
        const SocketHandle result = WinsockApi::accept(s, peer, length);
        const int error = ::WSAGetLastError();
        Note([&] { m_lastAccept = Wake{true, result, error}; });
        ::WSASetLastError(error);  // the listener reads the code after this returns
        return result;
    }

    int recv(SocketHandle s, char* buffer, int length, int flags) override
    {
        return Receive([&] { return WinsockApi::recv(s, buffer, length, flags); });
    }

    int recvWithin(SocketHandle s, char* buffer, int length, int flags, int milliseconds) override
    {
        return Receive([&] { return WinsockApi::recvWithin(s, buffer, length, flags, milliseconds); });
    }

    // The limit keeps a broken listener from hanging the run; it is not a speed demand.
    bool WaitForAcceptsEntered(int count) { return WaitFor([&] { return m_acceptsEntered >= count; }); }
    bool WaitForRecvsEntered(int count) { return WaitFor([&] { return m_recvsEntered >= count; }); }

    int Startups() const { return Read(m_startups); }
    int Cleanups() const { return Read(m_cleanups); }
    Wake LastAccept() const { return Read(m_lastAccept); }
    Wake LastRecv() const { return Read(m_lastRecv); }

private:
    template <typename Call>
    int Receive(Call call)
    {
        Note([this] { ++m_recvsEntered; });
        const int result = call();
        const int error = ::WSAGetLastError();
        Note([&] { m_lastRecv = Wake{true, static_cast<std::uintptr_t>(result), error}; });
        ::WSASetLastError(error);
        return result;
    }

    template <typename Change>
    void Note(Change change)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            change();
        }
        m_changed.notify_all();
    }

    template <typename Done>
    bool WaitFor(Done done)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), done);
    }

    template <typename T>
    T Read(const T& value) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return value;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_startups = 0;
    int m_cleanups = 0;
    int m_acceptsEntered = 0;
    int m_recvsEntered = 0;
    Wake m_lastAccept;
    Wake m_lastRecv;
};
