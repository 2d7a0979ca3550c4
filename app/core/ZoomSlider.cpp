#include "app/core/ZoomSlider.h"

#include "imaging/Round.h"

#include <cstdio>

namespace zelpix {

int ZoomSliderPosition(double zoomPercent)
{
    if (zoomPercent > 100)
        return int(Round(((zoomPercent - 100) / 20 + 80) * 10));
    return int(Round((zoomPercent - 20) * 10));
}

std::string ZoomText(double zoomPercent)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g%%", zoomPercent);
    return text;
}

}  // namespace zelpix
