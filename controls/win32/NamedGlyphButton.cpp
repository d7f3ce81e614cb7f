#include "controls/win32/NamedGlyphButton.h"

#include "controls/win32/KeyboardFocusCue.h"

void CNamedGlyphButton::ShowTextAsSign(const char* name)
{
    m_sign = GetWindowText();
    SetWindowText(name);
    SendMessage(BM_SETSTYLE, BS_OWNERDRAW, TRUE);
}

void CNamedGlyphButton::DrawItem(DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT face = item->rcItem;
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (pressed)
        ::OffsetRect(&face, 1, 1);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor((item->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                                                      : COLOR_BTNTEXT));
    ::DrawTextA(dc, m_sign.c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = item->rcItem;
        ::InflateRect(&focus, -3, -3);  // inside the button's edge
        DrawKeyboardFocus(m_hWnd, dc, focus);
    }
}
