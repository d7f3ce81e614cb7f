#pragma once

#include <string>

#include "framework/Controls.h"

// A push button that shows a short sign ("X") while its window text, which is what a
// screen reader reads as its name, says what it does ("Hide"). It draws itself as a plain
// push button in the system's colours.
class CNamedGlyphButton : public CButton {
public:
    // The button's present text becomes the sign it shows; `name` its window text.
    void ShowTextAsSign(const char* name);

    void DrawItem(DRAWITEMSTRUCT* item) override;

private:
    std::string m_sign;
};
