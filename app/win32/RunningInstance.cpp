#include "app/win32/RunningInstance.h"

#include <vector>

#include "app/InstanceNames.h"

namespace RunningInstance {

namespace {

std::vector<HWND> MarkedWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            if (::GetPropA(window, kRunningInstanceMark) != nullptr)
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

UINT ShowRequest()
{
    static const UINT message = ::RegisterWindowMessageA("Tidemark.ShowWindow");
    return message;
}

UINT ExitRequest()
{
    static const UINT message = ::RegisterWindowMessageA("Tidemark.Exit");
    return message;
}

void Mark(HWND window)
{
    ::SetPropA(window, kRunningInstanceMark, reinterpret_cast<HANDLE>(1));
}

void Unmark(HWND window)
{
    ::RemovePropA(window, kRunningInstanceMark);
}

bool AskToShow()
{
    const std::vector<HWND> windows = MarkedWindows();
    if (windows.empty() || ShowRequest() == 0)
        return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(windows.front(), &processId);
    // The user started the program to see it: the running instance may take the
    // foreground that this start was given.
    ::AllowSetForegroundWindow(processId);
    return ::PostMessageA(windows.front(), ShowRequest(), 0, 0) != FALSE;
}

ExitOutcome AskToExit(DWORD timeoutMs)
{
    const std::vector<HWND> windows = MarkedWindows();
    if (windows.empty() || ExitRequest() == 0)
        return ExitOutcome::NoneRunning;
    std::vector<HANDLE> processes;
    for (HWND window : windows) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        processes.push_back(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        ::PostMessageA(window, ExitRequest(), 0, 0);
    }
    const DWORD start = ::GetTickCount();
    const auto timeLeft = [&] {
        const DWORD spent = ::GetTickCount() - start;
        return spent < timeoutMs ? timeoutMs - spent : 0;
    };
    bool ended = true;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (processes[i] != nullptr) {
            ended = ::WaitForSingleObject(processes[i], timeLeft()) == WAIT_OBJECT_0 && ended;
            ::CloseHandle(processes[i]);
        } else {
            // A process that cannot be opened is waited for by its window's going.
            while (::IsWindow(windows[i]) && timeLeft() > 0)
                ::Sleep(20);
            ended = !::IsWindow(windows[i]) && ended;
        }
    }
    return ended ? ExitOutcome::Ended : ExitOutcome::StillRunning;
}

}  // namespace RunningInstance
