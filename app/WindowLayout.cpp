#include "app/WindowLayout.h"

namespace {

constexpr int kMargin = 6;
constexpr int kDoubleMargin = 2 * kMargin;
constexpr int kHalfMargin = kMargin / 2;

}  // namespace

MainWindowLayout LayOutMainWindow(PixelSize client, const BottomRowSizes& c)
{
    const int w = client.width;
    const int h = client.height;
    MainWindowLayout layout;
    // The height of "clear list" alone decides how much room the row takes from the list.
    layout.messageList = {kMargin, kMargin, w - kDoubleMargin,
                          h - c.clearButton.height - kDoubleMargin - kHalfMargin};
    layout.clearButton = {kMargin, h - c.clearButton.height - kMargin, c.clearButton.width,
                          c.clearButton.height};
    layout.exitButton = {c.clearButton.width + kMargin, h - c.exitButton.height - kMargin,
                         c.exitButton.width, c.exitButton.height};
    layout.versionLabel = {c.clearButton.width + c.exitButton.width + kMargin,
                           h - c.versionLabel.height - kMargin - 2, c.versionLabel.width,
                           c.versionLabel.height};
    layout.homepageLink = {w - c.homepageLink.width - c.hideButton.width - kMargin - kHalfMargin,
                           h - c.homepageLink.height - kMargin - 1, c.homepageLink.width,
                           c.homepageLink.height};
    layout.hideButton = {w - c.hideButton.width - kMargin, h - c.hideButton.height - kMargin,
                         c.hideButton.width, c.hideButton.height};
    layout.minTrackSize = {c.clearButton.width + c.exitButton.width + c.versionLabel.width +
                               c.homepageLink.width + c.hideButton.width + 3 * kMargin,
                           c.clearButton.height + 35};
    return layout;
}

void KeepMinimumSize(DragRect& rect, PixelSize minimum)
{
    if (rect.right - rect.left < minimum.width)
        rect.right = rect.left + minimum.width;
    if (rect.bottom - rect.top < minimum.height)
        rect.bottom = rect.top + minimum.height;
}
