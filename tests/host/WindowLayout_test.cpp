#include "app/WindowLayout.h"

#include <gtest/gtest.h>

namespace {

// The left group side by side from the left edge, the link and "X" 3 pixels apart at the
// right edge, the list above the row; the minimum fits the five controls.
TEST(WindowLayout, RowHugsTheBottomEdgeAndTheMinimumFitsIt)
{
    const MainWindowLayout l =
        LayOutMainWindow({800, 75}, {{53, 16}, {38, 17}, {90, 13}, {91, 15}, {30, 16}});
    EXPECT_EQ(l.versionLabel.x, 6 + 53 + 38);
    EXPECT_EQ(l.homepageLink.x + 91 + 3, l.hideButton.x);
    EXPECT_EQ(l.hideButton.x + 30, 800 - 6);
    EXPECT_EQ(l.messageList.y + l.messageList.height + 3, l.clearButton.y);
    EXPECT_EQ(l.exitButton.y + 17, 75 - 6);
    EXPECT_EQ(l.minTrackSize.width, 53 + 38 + 90 + 91 + 30 + 18);
    EXPECT_EQ(l.minTrackSize.height, 16 + 35);

    DragRect dragged{100, 200, 150, 210};  // left and top edges dragged far inward
    KeepMinimumSize(dragged, l.minTrackSize);
    EXPECT_EQ(dragged.right, 100 + 53 + 38 + 90 + 91 + 30 + 18);
    EXPECT_EQ(dragged.bottom, 200 + 16 + 35);
}

}  // namespace
