#pragma once
// How a zoom factor is shown: the navigation slider's position and the zoom text.
#include <string>

namespace zelpix {

// 100% sits at 800: 0..800 are 20%..100% in steps of 0.1%, above 800 each position is 2%.
int ZoomSliderPosition(double zoomPercent);
// The factor in shortest decimal form followed by "%" ("100%", "20.1%", "33.3333333333333%").
std::string ZoomText(double zoomPercent);

}  // namespace zelpix
