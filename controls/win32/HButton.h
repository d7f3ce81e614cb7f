#pragma once

#include "controls/win32/HighContrast.h"
#include "framework/Controls.h"

// A push button that looks and behaves like a link on a web page: its caption in the
// link colour, underlined always or only while the pointer is over it, in the hover
// colour while the pointer is over it, with the owner's cursor, an optional 16-pixel
// icon in front of the caption, and a tooltip. On every draw it moves and resizes
// itself to fit its caption around its old centre. Its pixel sizes are those of 96 dots
// per inch, scaled to the window's.
//
// In high contrast it draws in the system's link colour on the dialog's face, whatever
// colours it was given, and it shows the keyboard focus with a focus rectangle.
//
// It does not act on a click itself: the owner gets the ordinary BN_CLICKED. The control
// must carry BS_OWNERDRAW in its template. The cursor and icon stay the caller's.
class CHButton : public CButton {
public:
    CHButton();
    ~CHButton() override;

    // Each stores its value and redraws the whole button.
    void SetLinkCursor(HCURSOR cursor);
    // 1 = always underlined, 2 = only while hovered, anything else = never.
    void SetUnderlineMode(int mode);
    void SetHoverColor(COLORREF colour, BOOL enable);
    void SetLinkColor(COLORREF colour);
    void SetLinkIcon(HICON icon);

    // The tooltip's text and whether it shows; a null text changes nothing. The tool
    // covers the client area of the moment of the first call.
    void SetToolTipText(const char* text, BOOL activate);

    // Where the button learns whether high contrast is on; the system by default.
    void SetHighContrastQuery(HighContrastQuery query);

    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    const MessageMap* GetMessageMap() const override;

    void OnMouseMove(UINT flags, POINT point);
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    // Button presses and releases: the link cursor, then the button's own handling.
    void OnMouseButton(UINT flags, POINT point);
    LRESULT OnSystemColoursChanged(WPARAM, LPARAM);

private:
    void ShowLinkCursor() const;
    void CreateToolTipWindow();
    bool IsUnderlined() const;
    COLORREF TextColour() const;
    void ReadSystemColours();

    COLORREF m_backgroundColour;
    HCURSOR m_hLinkCursor = nullptr;
    BOOL m_bCursorEnabled = FALSE;
    CToolTipCtrl m_toolTip;
    BOOL m_bHover = FALSE;
    COLORREF m_hoverColour = 0;
    BOOL m_bIconPresent = FALSE;
    BOOL m_bHoverColourEnabled = FALSE;
    COLORREF m_linkColour = 0x00FF0000;  // pure blue
    int m_underlineMode = 1;
    int m_iconSize = 16;
    HICON m_hIcon = nullptr;
    HighContrastQuery m_highContrastQuery = IsHighContrastOn;
    bool m_bHighContrast = false;
};
