#pragma once

// The main window's layout, in pixels: the message list fills the window above one row of
// controls. "clear list", "exit" and the version label sit side by side from the left
// edge; the homepage link and "X" sit at the right edge. The small controls keep their
// sizes; only the message list grows and shrinks. The margins are designed for 96 dots per
// inch and scale with the window's.

struct PixelSize {
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The current sizes of the five small controls.
struct BottomRowSizes {
    PixelSize clearButton;
    PixelSize exitButton;
    PixelSize versionLabel;
    PixelSize homepageLink;
    PixelSize hideButton;
};

struct MainWindowLayout {
    PixelRect messageList;
    PixelRect clearButton;
    PixelRect exitButton;
    PixelRect versionLabel;
    PixelRect homepageLink;
    PixelRect hideButton;
    // The smallest outer window size a user can drag the window to.
    PixelSize minTrackSize;
};

MainWindowLayout LayOutMainWindow(PixelSize client, const BottomRowSizes& controls, int dpi = 96);

// A window rectangle being dragged, in screen coordinates.
struct DragRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Holds a dragged rectangle at the minimum size by moving its right and bottom edges,
// whichever edge the user drags.
void KeepMinimumSize(DragRect& rect, PixelSize minimum);
