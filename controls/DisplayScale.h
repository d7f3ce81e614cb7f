#pragma once

// The windows are designed in pixels of a display of 96 dots per inch. On any other display
// each of those figures is scaled to the window's dots per inch, so that the window looks
// the same there, only sharper; at 96 every figure stays exactly as designed.

constexpr int kDesignDpi = 96;

// `pixelsAtDesignDpi` at `dpi`, rounded to the nearest pixel (halves away from zero), as
// the system's MulDiv rounds. A dpi of 0 or less (no answer from the system) counts as 96.
int ScaleToDpi(int pixelsAtDesignDpi, int dpi);
