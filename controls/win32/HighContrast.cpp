#include "controls/win32/HighContrast.h"

bool IsHighContrastOn()
{
    HIGHCONTRASTA highContrast{};
    highContrast.cbSize = sizeof highContrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
