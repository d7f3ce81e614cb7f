#pragma once

#include <cstddef>
#include <string>

#include "framework/Wnd.h"

class CWinApp;

// The application's command table: commands that no window handled come here.
struct CommandEntry {
    UINT id;
    void (CWinApp::*handler)();
};

struct CommandMap {
    const CommandEntry* entries;
    std::size_t count;
};

// The application object: one global instance of a class derived from CWinApp. The
// program's entry calls its InitInstance(); when that returns false the program ends
// with ExitInstance(), otherwise Run() pumps messages until WM_QUIT.
class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

protected:
    virtual const CommandMap* GetCommandMap() const;

public:

    HICON LoadIcon(UINT id) const;
    HCURSOR LoadCursor(UINT id) const;
    // Shows a message box owned by the main window with the application's name as caption.
    int DoMessageBox(const char* text, UINT type) const;

    // Records the registry key under which settings would be kept; nothing is written.
    void SetRegistryKey(const char* key);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    std::string m_pszAppName;
    std::string m_pszRegistryKey;
    std::string m_pszProfileName;

    // Runs the command table's handler for `id`; false when the table has none.
    bool OnCmdMsg(UINT id);
    // The framework's help handler: opens the application's help file.
    void OnHelp();

    // Called once by the program's entry, before InitInstance.
    void AttachInstance(HINSTANCE instance);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
int AfxMessageBox(const char* text, UINT type = MB_OK);

// The command id of the help command.
constexpr UINT ID_HELP = 0xE146;
// The framework can host ActiveX controls only where the platform offers them; this
// layer hosts none, so enabling the hosting changes nothing.
void AfxEnableControlContainer();
// The entry of the program, called from WinMain.
int AfxWinMain(HINSTANCE instance);
