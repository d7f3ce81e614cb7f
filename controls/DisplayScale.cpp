#include "controls/DisplayScale.h"

int ScaleToDpi(int pixelsAtDesignDpi, int dpi)
{
    if (dpi <= 0 || dpi == kDesignDpi)
        return pixelsAtDesignDpi;
    const long long product = static_cast<long long>(pixelsAtDesignDpi) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                         : -((-product + half) / kDesignDpi));
}
