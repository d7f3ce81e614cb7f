#pragma once

#include "controls/win32/HButton.h"

// The maker's homepage, linked from the main window and from the about box alike.

// Gives a bound button the homepage link's look and caption (the host name).
void SetUpHomepageLink(CHButton& link, HCURSOR handCursor);

// Opens the update page in the user's web browser; whether that worked is not examined.
void OpenHomepage(HWND owner);
