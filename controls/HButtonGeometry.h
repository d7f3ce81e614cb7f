#pragma once

// Where the hyperlink button puts its caption and itself. The button is always exactly
// as large as its caption plus a margin on each side (2 pixels at 96 dots per inch) and
// room for the icon, centred on the point where it sat before; all divisions truncate.

struct LinkRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct LinkPoint {
    int x;
    int y;
};

// Half the width and height the caption (and the icon) take.
struct LinkHalfExtent {
    int width;
    int height;
};

constexpr int kLinkMargin = 2;

// `iconSize` counts only when `hasIcon`: half of it widens each side.
LinkHalfExtent LinkHalfExtentOf(int textWidth, int textHeight, bool hasIcon, int iconSize);

// The button's new rectangle in its parent's client coordinates, around the centre of
// its current one.
LinkRect LinkTargetRect(const LinkRect& currentInParent, const LinkHalfExtent& half,
                        int margin = kLinkMargin);

// The item rectangle the caption is centred in: with an icon it starts behind the icon
// (at twice the icon size, which leaves the caption 2 pixels behind the icon).
LinkRect LinkCaptionArea(const LinkRect& item, bool hasIcon, int iconSize);

// Top-left corner of the caption, centred in `captionArea`.
LinkPoint LinkTextOrigin(const LinkRect& captionArea, const LinkHalfExtent& half);
