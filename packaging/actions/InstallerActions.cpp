// The custom actions of Tidemark's Windows Installer package (packaging/tidemark.wxs), a DLL
// in the package's Binary table. Windows cannot replace or remove the file of a running
// program, and stopping Tidemark in order (listener ended, icon removed) is the program's
// own business: before the package touches any file it asks the installed program to end
// the running one ("tidemark.exe /exit"), and it remembers in a property whether one was
// running, so that an upgrade can start the new program where the old one ran.
//
// They never fail the installation: a Tidemark that could not be ended leaves the package
// where it was without them (files in use, replaced at the next restart).
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <memory>
#include <type_traits>

#include "app/InstanceNames.h"
#include "packaging/actions/HeapText.h"
#include "res/resource.h"

// Plain buffers rather than the C++ library's strings, which throw: the package carries this
// DLL, and the library's exception support, linked statically, would be most of its size.
namespace {

// The property that the package's start of the new program after an upgrade looks at.
const char kWasRunningProperty[] = "TidemarkWasRunning";

// Every version's main window has its "exit" button.
constexpr int kExitButton = IDC_EXIT;

// "/exit" returns once the running instance has ended (or, after 10 s, that it did not). A
// version of the program that does not know the switch, should its window not have been
// found, takes it for a second start and shows its refusal box instead; that start is ended
// after this long, so a silent installation never hangs on a box nobody sees. The same time
// bounds the wait for an older version that was asked through its "exit" button.
constexpr DWORD kExitWaitMs = 30000;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct MsiRecord {
    MSIHANDLE handle;
    ~MsiRecord() { MsiCloseHandle(handle); }
};

// A line in the installation's log (msiexec /l*v).
void Log(MSIHANDLE install, const char* text, const char* detail)
{
    char line[2 * MAX_PATH];
    std::snprintf(line, sizeof line, "Tidemark: %s %s", text, detail);
    MsiRecord record{MsiCreateRecord(0)};
    MsiRecordSetStringA(record.handle, 0, line);
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.handle);
}

// Runs `program /exit` and waits for it; false (with the reason in the log) when it could
// not be started or did not end in time.
bool RunExit(MSIHANDLE install, const char* program, DWORD* exitCode)
{
    char command[MAX_PATH + 16];
    std::snprintf(command, sizeof command, "\"%s\" /exit", program);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        char reason[MAX_PATH + 48];
        std::snprintf(reason, sizeof reason, "%s (error %lu)", command, GetLastError());
        Log(install, "could not start", reason);
        return false;
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    if (WaitForSingleObject(process.get(), kExitWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        Log(install, "did not end in time, going on without it:", command);
        return false;
    }
    return GetExitCodeProcess(process.get(), exitCode) != 0;
}

// A main window of Tidemark from before "/exit": it has no mark of the running instance
// (the window property that newer versions set), so its program would take the switch for a
// second start. Null when there is none.
HWND OlderMainWindow()
{
    struct Search {
        HWND found;
    } search{nullptr};
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            char title[16] = {};
            char windowClass[16] = {};
            GetWindowTextA(window, title, sizeof title);
            GetClassNameA(window, windowClass, sizeof windowClass);
            if (lstrcmpA(title, "Tidemark") != 0 || lstrcmpA(windowClass, "#32770") != 0 ||
                GetDlgItem(window, kExitButton) == nullptr ||
                GetPropA(window, kRunningInstanceMark) != nullptr)
                return TRUE;
            reinterpret_cast<Search*>(found)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses that window's "exit", which every version answers with its orderly stop, and
// waits for its process to end.
bool PressExit(MSIHANDLE install, HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process || !PostMessageA(window, WM_COMMAND, MAKEWPARAM(kExitButton, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(GetDlgItem(window, kExitButton)))) {
        Log(install, "could not ask an older Tidemark to end", "");
        return false;
    }
    if (WaitForSingleObject(process.get(), kExitWaitMs) != WAIT_OBJECT_0) {
        Log(install, "an older Tidemark did not end in time, going on without it", "");
        return false;
    }
    return true;
}

}  // namespace

// Immediate, after the folders are known and before the files are validated: ends the
// running Tidemark through the installed program and sets kWasRunningProperty when there
// was one.
extern "C" __declspec(dllexport) UINT __stdcall EndRunningTidemark(MSIHANDLE install)
{
    char program[MAX_PATH];
    DWORD size = MAX_PATH - sizeof "tidemark.exe";
    if (MsiGetPropertyA(install, "INSTALLDIR", program, &size) != ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    lstrcatA(program, "tidemark.exe");
    if (GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES) {
        return ERROR_SUCCESS;  // nothing installed yet, so nothing of ours runs from there
    }
    // The installed program is started only when there is one to end: a version that does not
    // know "/exit" would otherwise start for real.
    UniqueHandle running(OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutex));
    if (!running && GetLastError() != ERROR_ACCESS_DENIED) {
        return ERROR_SUCCESS;  // none running (a mutex we may not open is another's: ask)
    }
    running.reset();  // the program's own /exit must not find the name kept alive by us
    if (HWND older = OlderMainWindow()) {
        if (PressExit(install, older)) {
            MsiSetPropertyA(install, kWasRunningProperty, "1");
            Log(install, "the running older program has ended:", program);
        }
        return ERROR_SUCCESS;
    }
    DWORD exitCode = 1;
    if (RunExit(install, program, &exitCode) && exitCode == 0) {
        MsiSetPropertyA(install, kWasRunningProperty, "1");
        Log(install, "the running program has ended:", program);
    }
    return ERROR_SUCCESS;
}

namespace {

// Takes empty entries out of a PATH kept in the registry. Taking the programs' folder out of
// it (at removal, and in an upgrade before the new version adds it again) leaves its
// separator behind, and Wine's console, given a PATH with an empty entry, runs nothing at
// all by name.
UINT TidyPath(HKEY root, const wchar_t* environmentKey)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, environmentKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) !=
        ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    UniqueKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), L"Path", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return ERROR_SUCCESS;
    }
    const DWORD length = size / sizeof(wchar_t);
    const HeapText path = AllocateText(length + 1);
    if (!path || RegQueryValueExW(key.get(), L"Path", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(path.get()), &size) != ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    // In place: every separator that follows the start or another separator goes, and a
    // separator at the end.
    wchar_t* const text = path.get();
    DWORD kept = 0;
    for (DWORD read = 0; read < length && text[read] != L'\0'; ++read) {
        if (text[read] != L';' || (kept > 0 && text[kept - 1] != L';'))
            text[kept++] = text[read];
    }
    if (kept > 0 && text[kept - 1] == L';')
        --kept;
    const bool changed = text[kept] != L'\0';
    text[kept] = L'\0';
    if (kept == 0) {
        RegDeleteValueW(key.get(), L"Path");
    } else if (changed) {
        RegSetValueExW(key.get(), L"Path", 0, type, reinterpret_cast<const BYTE*>(text),
                       (kept + 1) * sizeof(wchar_t));
    }
    return ERROR_SUCCESS;
}

}  // namespace

// Immediate, at the end of every installation and removal of the per-user package.
extern "C" __declspec(dllexport) UINT __stdcall TidyUserPath(MSIHANDLE)
{
    return TidyPath(HKEY_CURRENT_USER, L"Environment");
}

// Deferred without impersonation, after the per-machine package has changed the system's
// PATH: only an administrator may write it.
extern "C" __declspec(dllexport) UINT __stdcall TidyMachinePath(MSIHANDLE)
{
    return TidyPath(HKEY_LOCAL_MACHINE,
                    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
}
