#include "app/win32/TidemarkApp.h"

#include "app/CommandLine.h"
#include "app/win32/RunningInstance.h"
#include "app/win32/TidemarkDlg.h"

namespace {

// How long "/exit" waits for the running instance's process to end: its orderly stop
// takes well under a second.
constexpr DWORD kExitWait = 10000;

// The exit codes of "/exit", for scripts and installers.
constexpr int kEnded = 0;
constexpr int kNoneRunning = 1;
constexpr int kStillRunning = 2;

int EndRunningInstance()
{
    switch (RunningInstance::AskToExit(kExitWait)) {
    case RunningInstance::ExitOutcome::Ended:
        return kEnded;
    case RunningInstance::ExitOutcome::NoneRunning:
        return kNoneRunning;
    default:
        return kStillRunning;
    }
}

}  // namespace

CTidemarkApp theApp;

const CommandMap* CTidemarkApp::GetCommandMap() const
{
    static const CommandEntry entries[] = {
        {ID_HELP, &CWinApp::OnHelp},
    };
    static const CommandMap map{entries, sizeof entries / sizeof entries[0]};
    return &map;
}

// The main window runs as a modal dialog; when it ends, so does the program (false: no
// message loop of the application's own).
BOOL CTidemarkApp::InitInstance()
{
    // "tidemark.exe /exit" only ends the running instance: no window, no box.
    if (AsksToExit(::GetCommandLineA())) {
        m_exitCode = EndRunningInstance();
        return FALSE;
    }
    InitCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Vom lokalen Anwendungs-Assistenten generierte Anwendungen");

    CTidemarkDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CTidemarkApp::ExitInstance()
{
    return m_exitCode;
}
