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

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>

namespace {

// The property that the package's start of the new program after an upgrade looks at.
const char kWasRunningProperty[] = "TidemarkWasRunning";

// The named mutex that a running Tidemark holds (its single-instance guard). The installed
// program is started only when there is one to end: a version that does not know "/exit"
// would otherwise start for real.
const char kRunningMutex[] = "TidemarkSoftware";

// "/exit" returns once the running instance has ended (or, after 10 s, that it did not). A
// version of the program that does not know the switch takes it for a second start and
// shows its refusal box instead; that start is ended after this long, so a silent
// installation never hangs on a box nobody sees.
constexpr DWORD kExitWaitMs = 30000;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct MsiRecord {
  MSIHANDLE handle;
  ~MsiRecord() { MsiCloseHandle(handle); }
};

std::string Property(MSIHANDLE install, const char* name) {
  DWORD size = 0;
  char empty[1] = "";
  if (MsiGetPropertyA(install, name, empty, &size) != ERROR_MORE_DATA) return {};
  std::string value(++size, '\0');
  if (MsiGetPropertyA(install, name, &value[0], &size) != ERROR_SUCCESS) return {};
  value.resize(size);
  return value;
}

// A line in the installation's log (msiexec /l*v).
void Log(MSIHANDLE install, const std::string& text) {
  MsiRecord record{MsiCreateRecord(0)};
  MsiRecordSetStringA(record.handle, 0, ("Tidemark: " + text).c_str());
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.handle);
}

// Runs `program /exit` and waits for it; false (with the reason in the log) when it could
// not be started or did not end in time.
bool RunExit(MSIHANDLE install, const std::string& program, DWORD* exit_code) {
  std::string command = "\"" + program + "\" /exit";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    Log(install, "could not start " + command + " (error " + std::to_string(GetLastError()) + ")");
    return false;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  if (WaitForSingleObject(process.get(), kExitWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    Log(install, command + " did not end in time; going on without it");
    return false;
  }
  return GetExitCodeProcess(process.get(), exit_code) != 0;
}

}  // namespace

// Immediate, after the folders are known and before the files are validated: ends the
// running Tidemark through the installed program and sets kWasRunningProperty when there
// was one.
extern "C" __declspec(dllexport) UINT __stdcall EndRunningTidemark(MSIHANDLE install) {
  std::string program = Property(install, "INSTALLDIR") + "tidemark.exe";
  if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return ERROR_SUCCESS;  // nothing installed yet, so nothing of ours runs from there
  }
  UniqueHandle running(OpenMutexA(SYNCHRONIZE, FALSE, kRunningMutex));
  if (!running && GetLastError() != ERROR_ACCESS_DENIED) {
    return ERROR_SUCCESS;  // none running (a mutex we may not open is another's: ask)
  }
  running.reset();  // the program's own /exit must not find the name kept alive by us
  DWORD exit_code = 1;
  if (RunExit(install, program, &exit_code) && exit_code == 0) {
    MsiSetPropertyA(install, kWasRunningProperty, "1");
    Log(install, "the running program has ended");
  }
  return ERROR_SUCCESS;
}

// Immediate, at the end of every installation and removal: takes empty entries out of the
// user's PATH. Taking the programs' folder out of it (at removal, and in an upgrade before
// the new version adds it again) leaves its separator behind, and Wine's console, given a
// PATH with an empty entry, runs nothing at all by name.
extern "C" __declspec(dllexport) UINT __stdcall TidyUserPath(MSIHANDLE) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Environment", 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    &key) != ERROR_SUCCESS) {
    return ERROR_SUCCESS;
  }
  DWORD type = 0;
  DWORD size = 0;
  std::wstring path;
  if (RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    path.resize(size / sizeof(wchar_t));
    if (RegQueryValueExW(key, L"Path", nullptr, nullptr, reinterpret_cast<BYTE*>(&path[0]),
                         &size) != ERROR_SUCCESS) {
      path.clear();
    }
    path.resize(wcsnlen(path.c_str(), path.size()));
  }
  std::wstring tidy;
  for (size_t start = 0; start <= path.size();) {
    size_t end = std::min(path.find(L';', start), path.size());
    if (end > start) tidy += (tidy.empty() ? L"" : L";") + path.substr(start, end - start);
    start = end + 1;
  }
  if (tidy != path) {
    if (tidy.empty()) {
      RegDeleteValueW(key, L"Path");
    } else {
      RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(tidy.c_str()),
                     static_cast<DWORD>((tidy.size() + 1) * sizeof(wchar_t)));
    }
  }
  RegCloseKey(key);
  return ERROR_SUCCESS;
}
