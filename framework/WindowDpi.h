#pragma once

#include "framework/Afx.h"

// The dots per inch a window is drawn at: the window's own where the system has
// GetDpiForWindow (Windows 10 1607 and later, looked up at run time so the program still
// starts on older systems), else the screen's.
int GetWindowDpi(HWND window);
