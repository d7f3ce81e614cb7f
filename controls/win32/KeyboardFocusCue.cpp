#include "controls/win32/KeyboardFocusCue.h"

void DrawKeyboardFocus(HWND control, HDC dc, const RECT& rect)
{
    if ((::SendMessageA(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0)
        ::DrawFocusRect(dc, &rect);
}
