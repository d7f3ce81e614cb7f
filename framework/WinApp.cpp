#include "framework/WinApp.h"

namespace {

CWinApp* g_app = nullptr;

// The name the framework gives an application that names none: its file name without
// directory and extension.
std::string NameFromModuleFile()
{
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    const std::string::size_type slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* appName)
{
    if (appName != nullptr)
        m_pszAppName = appName;
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::AttachInstance(HINSTANCE instance)
{
    m_hInstance = instance;
    if (m_pszAppName.empty())
        m_pszAppName = NameFromModuleFile();
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

const CommandMap* CWinApp::GetCommandMap() const
{
    static const CommandMap none{nullptr, 0};
    return &none;
}

bool CWinApp::OnCmdMsg(UINT id)
{
    const CommandMap* map = GetCommandMap();
    for (std::size_t i = 0; i < map->count; ++i) {
        if (map->entries[i].id == id) {
            (this->*(map->entries[i].handler))();
            return true;
        }
    }
    return false;
}

void CWinApp::OnHelp()
{
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(m_hInstance, path, MAX_PATH);
    std::string helpFile = path;
    const std::string::size_type dot = helpFile.rfind('.');
    if (dot != std::string::npos)
        helpFile.erase(dot);
    helpFile += ".hlp";
    ::WinHelpA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, helpFile.c_str(), HELP_FINDER, 0);
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id));
}

HCURSOR CWinApp::LoadCursor(UINT id) const
{
    return ::LoadCursorA(m_hInstance, MAKEINTRESOURCEA(id));
}

void CWinApp::SetRegistryKey(const char* key)
{
    m_pszRegistryKey = key ? key : "";
    m_pszProfileName = m_pszAppName;
}

int CWinApp::DoMessageBox(const char* text, UINT type) const
{
    // An OK or OK/Cancel box that names no icon gets the exclamation mark.
    if ((type & MB_ICONMASK) == 0) {
        const UINT buttons = type & MB_TYPEMASK;
        if (buttons == MB_OK || buttons == MB_OKCANCEL)
            type |= MB_ICONEXCLAMATION;
        else if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
            type |= MB_ICONQUESTION;
    }
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    return ::MessageBoxA(owner, text, m_pszAppName.c_str(), type);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetResourceHandle()
{
    if (g_app != nullptr && g_app->m_hInstance != nullptr)
        return g_app->m_hInstance;
    return ::GetModuleHandleA(nullptr);
}

int AfxMessageBox(const char* text, UINT type)
{
    if (g_app != nullptr)
        return g_app->DoMessageBox(text, type);
    return ::MessageBoxA(nullptr, text, nullptr, type | MB_ICONEXCLAMATION);
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->AttachInstance(instance);
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
