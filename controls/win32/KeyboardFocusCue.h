#pragma once

#include "framework/Afx.h"

// Draws the dotted rectangle that shows which control has the keyboard focus, unless the
// control's window hides focus until the keyboard is used (as after a mouse click).
void DrawKeyboardFocus(HWND control, HDC dc, const RECT& rect);
