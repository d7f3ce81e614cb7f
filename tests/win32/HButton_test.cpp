// The hyperlink button as both homepage links set it up, drawn into a memory bitmap.

#include <algorithm>

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "info/win32/HomepageLink.h"

namespace {

struct Seen {
    int pixels = 0;
    int longestLine = 0;  // an underline runs as long as the caption
};

// Draws the button with its own font, as its painting does, and looks for `colour`.
Seen DrawAndLook(CHButton& link, UINT state, COLORREF colour)
{
    RECT client;
    link.GetClientRect(&client);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateBitmap(client.right, client.bottom, 1, 32, nullptr);
    ::SelectObject(dc, bitmap);
    ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(link.SendMessage(WM_GETFONT)));
    DRAWITEMSTRUCT item{ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, link.m_hWnd, dc, client, 0};
    link.DrawItem(&item);
    Seen seen;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0, run = 0; x < client.right; ++x) {
            run = ::GetPixel(dc, x, y) == colour ? run + 1 : 0;
            seen.pixels += run > 0 ? 1 : 0;
            seen.longestLine = std::max(seen.longestLine, run);
        }
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return seen;
}

void SetUpLink(CHButton& link, HWND parent)
{
    ::InitCommonControls();
    ASSERT_TRUE(link.SubclassWindow(::CreateWindowExA(0, "BUTTON", "homepage", WS_CHILD | BS_OWNERDRAW,
                                                      20, 30, 150, 24, parent, nullptr, nullptr, nullptr)));
    link.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)));
    SetUpHomepageLink(link, ::LoadCursorA(nullptr, IDC_HAND));
}

TEST(HyperlinkButton, LooksLikeAWebLinkAtRestHoveredAndDisabled)
{
    const COLORREF blue = RGB(0, 0, 255), lightBlue = RGB(50, 128, 255);
    fwtest::ScopedWindow parent(fwtest::CreateRecordingWindow(nullptr));
    CHButton link;
    SetUpLink(link, parent.get());

    DrawAndLook(link, 0, blue);  // fits itself to the caption, centred where it was (95, 42)
    RECT fitted;
    link.GetWindowRect(&fitted);
    ::MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&fitted), 2);
    EXPECT_EQ(95, (fitted.left + fitted.right) / 2);
    for (bool hovered : {false, true, false}) {
        link.SendMessage(hovered ? WM_MOUSEMOVE : WM_MOUSELEAVE);
        const Seen shown = DrawAndLook(link, 0, hovered ? lightBlue : blue);
        EXPECT_GT(shown.pixels, 20);
        EXPECT_EQ(hovered, shown.longestLine >= (fitted.right - fitted.left) * 3 / 4);
        EXPECT_EQ(0, DrawAndLook(link, 0, hovered ? blue : lightBlue).pixels);
    }
    EXPECT_EQ(0, DrawAndLook(link, ODS_DISABLED, blue).pixels);  // embossed instead:
    EXPECT_GT(DrawAndLook(link, ODS_DISABLED, ::GetSysColor(COLOR_3DHILIGHT)).pixels, 20);
    EXPECT_GT(DrawAndLook(link, ODS_DISABLED, ::GetSysColor(COLOR_3DSHADOW)).pixels, 20);

    link.SetWindowText("");  // nothing but background, in a button shrunk to its margins
    DrawAndLook(link, 0, blue);
    link.GetClientRect(&fitted);
    EXPECT_EQ(4, fitted.right);
    EXPECT_EQ(4 * fitted.bottom, DrawAndLook(link, 0, ::GetSysColor(COLOR_BTNFACE)).pixels);
}

bool HighContrastOn() { return true; }

TEST(HyperlinkButton, InHighContrastTakesTheSchemesColoursAndShowsTheKeyboardFocus)
{
    const int elements[] = {COLOR_HOTLIGHT, COLOR_BTNFACE};
    const COLORREF before[] = {::GetSysColor(COLOR_HOTLIGHT), ::GetSysColor(COLOR_BTNFACE)};
    const COLORREF yellow = RGB(255, 255, 0), black = RGB(0, 0, 0), scheme[] = {yellow, black};
    fwtest::ScopedWindow parent(fwtest::CreateRecordingWindow(nullptr));
    CHButton link;
    SetUpLink(link, parent.get());
    link.SetHighContrastQuery(HighContrastOn);
    ::SetSysColors(2, elements, scheme);
    link.SendMessage(WM_SYSCOLORCHANGE);  // as the window passes it on
    for (bool hovered : {false, true}) {
        link.SendMessage(hovered ? WM_MOUSEMOVE : WM_MOUSELEAVE);
        EXPECT_GT(DrawAndLook(link, 0, yellow).pixels, 20);
        EXPECT_EQ(0, DrawAndLook(link, 0, RGB(0, 0, 255)).pixels + DrawAndLook(link, 0, RGB(50, 128, 255)).pixels);
    }
    const int background = DrawAndLook(link, 0, black).pixels;
    EXPECT_GT(background, 100);
    EXPECT_LT(DrawAndLook(link, ODS_FOCUS, black).pixels, background - 20);  // the dotted rectangle
    ::SetSysColors(2, elements, before);
}

}  // namespace
