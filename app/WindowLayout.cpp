#include "app/WindowLayout.h"

#include "controls/DisplayScale.h"

namespace {

constexpr int kMargin = 6;
constexpr int kHalfMargin = kMargin / 2;

// The offsets of the layout, written as at 96 dots per inch. Each is scaled whole at other
// scales: scaling its parts one by one and adding them up could round differently. The
// list's width loses two scaled margins, so that it stays centred.
struct LayoutOffsets {
    int margin;
    int listBelowRow;      // the list ends this far above the row's height from the bottom
    int labelLift;         // the version label sits 2 pixels higher than the buttons
    int linkLift;          // the homepage link 1 pixel higher
    int linkBeforeHide;    // room right of the link: the margin and half a margin
    int rowMargins;        // the minimum width beyond the five controls
    int heightBeyondRow;   // the minimum height beyond the row
};

LayoutOffsets OffsetsAt(int dpi)
{
    const auto px = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
    return LayoutOffsets{px(kMargin),
                         px(2 * kMargin + kHalfMargin),
                         px(kMargin + 2),
                         px(kMargin + 1),
                         px(kMargin + kHalfMargin),
                         px(3 * kMargin),
                         px(35)};
}

}  // namespace

MainWindowLayout LayOutMainWindow(PixelSize client, const BottomRowSizes& c, int dpi)
{
    const LayoutOffsets o = OffsetsAt(dpi);
    const int m = o.margin;
    const int w = client.width;
    const int h = client.height;
    MainWindowLayout layout;
    // The height of "clear list" alone decides how much room the row takes from the list.
    layout.messageList = {m, m, w - 2 * m, h - c.clearButton.height - o.listBelowRow};
    layout.clearButton = {m, h - c.clearButton.height - m, c.clearButton.width,
                          c.clearButton.height};
    layout.exitButton = {c.clearButton.width + m, h - c.exitButton.height - m,
                         c.exitButton.width, c.exitButton.height};
    layout.versionLabel = {c.clearButton.width + c.exitButton.width + m,
                           h - c.versionLabel.height - o.labelLift, c.versionLabel.width,
                           c.versionLabel.height};
    layout.homepageLink = {w - c.homepageLink.width - c.hideButton.width - o.linkBeforeHide,
                           h - c.homepageLink.height - o.linkLift, c.homepageLink.width,
                           c.homepageLink.height};
    layout.hideButton = {w - c.hideButton.width - m, h - c.hideButton.height - m,
                         c.hideButton.width, c.hideButton.height};
    layout.minTrackSize = {c.clearButton.width + c.exitButton.width + c.versionLabel.width +
                               c.homepageLink.width + c.hideButton.width + o.rowMargins,
                           c.clearButton.height + o.heightBeyondRow};
    return layout;
}

void KeepMinimumSize(DragRect& rect, PixelSize minimum)
{
    if (rect.right - rect.left < minimum.width)
        rect.right = rect.left + minimum.width;
    if (rect.bottom - rect.top < minimum.height)
        rect.bottom = rect.top + minimum.height;
}
