#include "controls/win32/HButton.h"

#include <string>

#include "controls/DisplayScale.h"
#include "controls/HButtonGeometry.h"
#include "controls/win32/KeyboardFocusCue.h"
#include "framework/WindowDpi.h"

namespace {

LinkRect ToLinkRect(const RECT& rect)
{
    return LinkRect{rect.left, rect.top, rect.right, rect.bottom};
}

// The caption's font with the underline on, selected into one draw's device context for
// as long as the object lives: nothing is cached between draws.
class UnderlinedFont {
public:
    UnderlinedFont(HDC dc, HFONT base) : m_dc(dc)
    {
        LOGFONTA logFont{};
        if (base == nullptr || ::GetObjectA(base, sizeof logFont, &logFont) == 0)
            return;
        logFont.lfUnderline = TRUE;
        m_font = ::CreateFontIndirectA(&logFont);
        if (m_font != nullptr)
            m_previous = ::SelectObject(dc, m_font);
    }
    ~UnderlinedFont()
    {
        if (m_font == nullptr)
            return;
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_font);
    }
    UnderlinedFont(const UnderlinedFont&) = delete;
    UnderlinedFont& operator=(const UnderlinedFont&) = delete;

private:
    HDC m_dc;
    HFONT m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};

}  // namespace

CHButton::CHButton() : m_backgroundColour(::GetSysColor(COLOR_BTNFACE))
{
    m_bHighContrast = m_highContrastQuery();
}

CHButton::~CHButton() = default;

const MessageMap* CHButton::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnMessage<WM_LBUTTONDOWN, &CHButton::OnMouseButton>(),
        OnMessage<WM_LBUTTONDBLCLK, &CHButton::OnMouseButton>(),
        OnMessage<WM_RBUTTONDOWN, &CHButton::OnMouseButton>(),
        OnMessage<WM_RBUTTONDBLCLK, &CHButton::OnMouseButton>(),
        OnMessage<WM_MOUSEMOVE, &CHButton::OnMouseMove>(),
        OnMessage<WM_LBUTTONUP, &CHButton::OnMouseButton>(),
        OnMessage<WM_MOUSELEAVE, &CHButton::OnMouseLeave>(),
        OnMessage<WM_RBUTTONUP, &CHButton::OnMouseButton>(),
        OnMessage<WM_SYSCOLORCHANGE, &CHButton::OnSystemColoursChanged>(),
        OnMessage<WM_SETTINGCHANGE, &CHButton::OnSystemColoursChanged>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetThisMessageMap(), entries);
    return &map;
}

void CHButton::ShowLinkCursor() const
{
    if (m_bCursorEnabled)
        ::SetCursor(m_hLinkCursor);
}

void CHButton::OnMouseButton(UINT, POINT)
{
    ShowLinkCursor();
    Default();
}

void CHButton::OnMouseMove(UINT, POINT)
{
    ShowLinkCursor();
    if (!m_bHover) {
        m_bHover = TRUE;
        Invalidate(TRUE);
        // The system reports when the pointer leaves, however fast it moves away.
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        ::TrackMouseEvent(&track);
    }
    Default();
}

LRESULT CHButton::OnMouseLeave(WPARAM, LPARAM)
{
    m_bHover = FALSE;
    Invalidate(TRUE);
    return 0;
}

// The user switched high contrast or changed the colour scheme: the next draw follows.
LRESULT CHButton::OnSystemColoursChanged(WPARAM, LPARAM)
{
    ReadSystemColours();
    return Default();
}

void CHButton::ReadSystemColours()
{
    m_bHighContrast = m_highContrastQuery();
    m_backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    Invalidate(TRUE);
}

void CHButton::SetHighContrastQuery(HighContrastQuery query)
{
    m_highContrastQuery = query;
    ReadSystemColours();
}

void CHButton::SetLinkCursor(HCURSOR cursor)
{
    m_hLinkCursor = cursor;
    m_bCursorEnabled = TRUE;
    Invalidate(TRUE);
}

void CHButton::SetUnderlineMode(int mode)
{
    m_underlineMode = mode;
    Invalidate(TRUE);
}

void CHButton::SetHoverColor(COLORREF colour, BOOL enable)
{
    m_hoverColour = colour;
    m_bHoverColourEnabled = enable;
    Invalidate(TRUE);
}

void CHButton::SetLinkColor(COLORREF colour)
{
    m_linkColour = colour;
    Invalidate(TRUE);
}

void CHButton::SetLinkIcon(HICON icon)
{
    m_hIcon = icon;
    m_bIconPresent = TRUE;
    Invalidate(TRUE);
}

// Inactive and without a tool until SetToolTipText gives it one.
void CHButton::CreateToolTipWindow()
{
    if (m_toolTip.m_hWnd != nullptr)
        return;
    m_toolTip.Create(this);
    m_toolTip.Activate(FALSE);
}

void CHButton::SetToolTipText(const char* text, BOOL activate)
{
    if (text == nullptr)
        return;
    CreateToolTipWindow();
    if (m_toolTip.GetToolCount() == 0) {
        RECT client;
        GetClientRect(&client);
        m_toolTip.AddTool(this, text, &client, 1);
    }
    m_toolTip.UpdateTipText(text, this, 1);
    m_toolTip.Activate(activate);
}

// The tooltip learns of the pointer only through the messages relayed to it here.
BOOL CHButton::PreTranslateMessage(MSG* msg)
{
    CreateToolTipWindow();
    m_toolTip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}

bool CHButton::IsUnderlined() const
{
    return m_underlineMode == 1 || (m_underlineMode == 2 && m_bHover);
}

COLORREF CHButton::TextColour() const
{
    if (m_bHighContrast)
        return ::GetSysColor(COLOR_HOTLIGHT);
    return m_bHoverColourEnabled && m_bHover ? m_hoverColour : m_linkColour;
}

void CHButton::DrawItem(DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    const std::string caption = GetWindowText();
    const int length = static_cast<int>(caption.size());
    SIZE extent{0, 0};
    ::GetTextExtentPoint32A(dc, caption.c_str(), length, &extent);

    // A button without a font of its own underlines the font the caption is drawn in.
    HFONT captionFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (captionFont == nullptr)
        captionFont = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    const UnderlinedFont underline(dc, IsUnderlined() ? captionFont : nullptr);

    HBRUSH background = ::CreateSolidBrush(m_backgroundColour);
    ::FillRect(dc, &item->rcItem, background);
    ::DeleteObject(background);

    // The caption's font already has the display's scale; the icon and the margin get it.
    const int dpi = GetWindowDpi(m_hWnd);
    const int iconSize = ScaleToDpi(m_iconSize, dpi);
    const bool hasIcon = m_bIconPresent != FALSE;
    const LinkHalfExtent half = LinkHalfExtentOf(extent.cx, extent.cy, hasIcon, iconSize);

    RECT current;
    GetWindowRect(&current);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&current), 2);
    const LinkRect target =
        LinkTargetRect(ToLinkRect(current), half, ScaleToDpi(kLinkMargin, dpi));

    ::SetTextColor(dc, TextColour());

    if (hasIcon)
        ::DrawIconEx(dc, 0, 0, m_hIcon, iconSize, iconSize, 0, nullptr, DI_NORMAL | DI_COMPAT);
    const LinkRect captionArea = LinkCaptionArea(ToLinkRect(item->rcItem), hasIcon, iconSize);

    if (!caption.empty()) {
        const LinkPoint origin = LinkTextOrigin(captionArea, half);
        ::SetBkMode(dc, TRANSPARENT);
        if (item->itemState & ODS_DISABLED) {
            // Embossed like any disabled control; "&" marks a mnemonic here.
            ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption.c_str()), 0,
                         origin.x, origin.y, extent.cx, extent.cy, DSS_DISABLED | DST_PREFIXTEXT);
        } else {
            ::TextOutA(dc, origin.x, origin.y, caption.c_str(), length);
        }
    }
    if (item->itemState & ODS_FOCUS)
        DrawKeyboardFocus(m_hWnd, dc, item->rcItem);

    MoveWindow(target.left, target.top, target.right - target.left, target.bottom - target.top,
               TRUE);
}
