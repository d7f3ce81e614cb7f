#include "app/win32/TidemarkApp.h"

#include "app/win32/TidemarkDlg.h"

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
