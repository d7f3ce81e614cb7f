#pragma once

#include <string>

#include "framework/Afx.h"

// The window's icon in the notification area. The shell forgets every icon when it is
// rebuilt (Explorer restarted, or a taskbar that came up after the program), and may
// refuse one while it is not ready: the owner adds it again then, and retries an icon
// the shell refused until it takes it. Removed once, whichever way the window ends.
class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon() { Remove(); }
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Fills in the icon and adds it; false when the shell refused it.
    bool Add(HWND window, UINT id, HICON icon, UINT callbackMessage, const std::string& tip);
    // Adds the icon filled in by Add again (a shell that was rebuilt has none); true when
    // the shell has it now. Nothing happens before Add or after Remove.
    bool AddAgain();
    void Remove();

private:
    NOTIFYICONDATAA m_data{};
    bool m_filledIn = false;
};
