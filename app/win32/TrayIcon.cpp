#include "app/win32/TrayIcon.h"

#include <cstring>

void CTrayIcon::Add(HWND window, UINT id, HICON icon, UINT callbackMessage, const std::string& tip)
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
    ::Shell_NotifyIconA(NIM_ADD, &m_data);
    m_added = true;
}

void CTrayIcon::Remove()
{
    if (!m_added)
        return;
    m_added = false;
    ::Shell_NotifyIconA(NIM_DELETE, &m_data);
}
