#include "controls/win32/NamedGlyphButton.h"

#include "controls/win32/KeyboardFocusCue.h"
#include "framework/SystemProc.h"

namespace {

using OpenThemeDataProc = HANDLE(WINAPI*)(HWND, LPCWSTR);
using DrawThemeBackgroundProc = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using CloseThemeDataProc = HRESULT(WINAPI*)(HANDLE);
constexpr int kPushButtonPart = 1;  // BP_PUSHBUTTON
constexpr int kNormalState = 1;     // PBS_NORMAL
constexpr int kPressedState = 3;    // PBS_PRESSED

// The face of the system's own push buttons in the visual style in use, from the theme
// library that the common controls have loaded; false when no style is in use.
bool DrawThemedFace(HWND button, HDC dc, const RECT& rect, bool pressed)
{
    const HMODULE uxtheme = ::GetModuleHandleA("uxtheme.dll");
    const auto open = LookUpProc<OpenThemeDataProc>(uxtheme, "OpenThemeData");
    const auto draw = LookUpProc<DrawThemeBackgroundProc>(uxtheme, "DrawThemeBackground");
    const auto close = LookUpProc<CloseThemeDataProc>(uxtheme, "CloseThemeData");
    const HANDLE theme = open != nullptr && draw != nullptr && close != nullptr
                             ? open(button, L"BUTTON")
                             : nullptr;
    if (theme == nullptr)
        return false;
    const bool drawn = SUCCEEDED(draw(theme, dc, kPushButtonPart,
                                      pressed ? kPressedState : kNormalState, &rect, nullptr));
    close(theme);
    return drawn;
}

}  // namespace

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
    if (!DrawThemedFace(m_hWnd, dc, face, pressed))
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
