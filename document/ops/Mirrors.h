#pragma once
// Mirroring a picture in place.
#include "imaging/Picture.h"

namespace zelpix {

// Column x becomes column W - 1 - x.
void MirrorLeftRight(Picture& picture);
// Row y becomes row H - 1 - y.
void MirrorTopBottom(Picture& picture);

}  // namespace zelpix
