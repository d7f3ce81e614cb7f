#include "controls/HButtonGeometry.h"

#include <gtest/gtest.h>

// Old centre (104, 45); a 61 x 13 caption has the half extents 30 x 6, plus 8 with the icon.
TEST(HButtonGeometry, FitsTheCaptionAroundTheOldCentreWithAndWithoutIcon)
{
    for (bool icon : {false, true}) {
        const LinkHalfExtent half = LinkHalfExtentOf(61, 13, icon, 16);
        const LinkRect fitted = LinkTargetRect(LinkRect{60, 40, 149, 51}, half);
        EXPECT_EQ(icon ? 64 : 72, fitted.left);
        EXPECT_EQ(icon ? 144 : 136, fitted.right);
        EXPECT_EQ(37, fitted.top);
        EXPECT_EQ(53, fitted.bottom);
        const LinkRect item{0, 0, fitted.right - fitted.left, 16};
        const LinkPoint origin = LinkTextOrigin(LinkCaptionArea(item, icon, 16), half);
        EXPECT_EQ(icon ? 18 : 2, origin.x);  // 2 pixels behind the 16-pixel icon
        EXPECT_EQ(2, origin.y);
    }
}
