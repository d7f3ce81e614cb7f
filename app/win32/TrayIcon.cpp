#include "app/win32/TrayIcon.h"

#include <cstring>

bool CTrayIcon::Add(HWND window, UINT id, HICON icon, UINT callbackMessage, const std::string& tip)
{
    // The first version of the record, sized for the platform built for: every shell
    // knows it, and its tip holds 63 characters and the zero.
    m_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_data.hIcon = icon;
    m_data.hWnd = window;
    const std::string shownTip = tip.substr(0, sizeof m_data.szTip - 1);
    std::memcpy(m_data.szTip, shownTip.c_str(), shownTip.size() + 1);
    m_data.uCallbackMessage = callbackMessage;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uID = id;
    m_filledIn = true;
    return AddAgain();
}

bool CTrayIcon::AddAgain()
{
    if (!m_filledIn)
        return false;
    // A shell that still has the icon refuses to add it twice: then it is there as it is.
    return ::Shell_NotifyIconA(NIM_ADD, &m_data) || ::Shell_NotifyIconA(NIM_MODIFY, &m_data);
}

void CTrayIcon::Remove()
{
    if (!m_filledIn)
        return;
    m_filledIn = false;
    ::Shell_NotifyIconA(NIM_DELETE, &m_data);
}
