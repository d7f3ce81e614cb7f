#pragma once

#include <string>

#include "framework/Afx.h"

// The window's icon in the notification area: added once, and removed once, whichever way
// the window ends. A shell that refuses the icon leaves the window without one.
class CTrayIcon {
public:
    void Add(HWND window, UINT id, HICON icon, UINT callbackMessage, const std::string& tip);
    void Remove();

private:
    NOTIFYICONDATAA m_data{};
    bool m_added = false;
};
