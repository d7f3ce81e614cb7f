#include "controls/HButtonGeometry.h"

namespace {

int Centre(int low, int high)
{
    return (low + high) / 2;
}

}  // namespace

LinkHalfExtent LinkHalfExtentOf(int textWidth, int textHeight, bool hasIcon, int iconSize)
{
    LinkHalfExtent half{textWidth / 2, textHeight / 2};
    if (hasIcon)
        half.width += iconSize / 2;
    return half;
}

LinkRect LinkTargetRect(const LinkRect& currentInParent, const LinkHalfExtent& half, int margin)
{
    const int cx = Centre(currentInParent.left, currentInParent.right);
    const int cy = Centre(currentInParent.top, currentInParent.bottom);
    return LinkRect{cx - half.width - margin, cy - half.height - margin, cx + half.width + margin,
                    cy + half.height + margin};
}

LinkRect LinkCaptionArea(const LinkRect& item, bool hasIcon, int iconSize)
{
    LinkRect area = item;
    if (hasIcon)
        area.left = 2 * iconSize;
    return area;
}

LinkPoint LinkTextOrigin(const LinkRect& captionArea, const LinkHalfExtent& half)
{
    return LinkPoint{Centre(captionArea.left, captionArea.right) - half.width,
                     Centre(captionArea.top, captionArea.bottom) - half.height};
}
