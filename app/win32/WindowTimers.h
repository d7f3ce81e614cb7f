#pragma once

#include "framework/Afx.h"

// The main window's timers, each id in this one place, so that no two parts of the window
// ever share one.
constexpr UINT_PTR kHideTimerId = 1;         // hides the window 12 s after the last line
constexpr UINT_PTR kListRepaintTimerId = 2;  // paints the list once lines stop coming fast
constexpr UINT_PTR kTrayRetryTimerId = 3;    // offers a refused notification-area icon again
constexpr UINT_PTR kAnnounceTimerId = 4;     // tells a screen reader a burst's newest line
