#pragma once
// Reducing the colours to a lower pixel format, the result held at 24 bits again.
#include "imaging/Picture.h"

namespace zelpix::effects {

// 0: 1 bit (black and white), 1: 4 bits (the 16 standard colours), 2: 8 bits (a fixed 256-colour palette),
// 3: 16 bits (5-6-5), 4: 24 bits (unchanged). Other values throw ImagingError.
Picture ChangeColorDepth(const Picture& picture, int depthChoice);

}  // namespace zelpix::effects
