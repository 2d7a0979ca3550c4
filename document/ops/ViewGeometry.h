#pragma once
// Sizes and coordinates of a document's view at a zoom factor in percent.
#include <optional>

namespace zelpix {

struct Extent {
    int width = 0;
    int height = 0;
    friend bool operator==(const Extent&, const Extent&) = default;
};

// Round(side x zoom / 50) div 2.
int ViewLength(int pictureLength, double zoomPercent);
Extent ViewExtent(Extent picture, double zoomPercent);

// (2 x v) div Round(zoom / 50). Below that divisor's range (zoom of 25% or less, where it rounds to 0)
// the exact inverse of ImageToView's scale is used instead; a zoom of 0 or less maps to 0.
int ViewToImage(int view, double zoomPercent);
// Round(i x zoom / 50) div 2.
int ImageToView(int image, double zoomPercent);

inline constexpr double ZoomStepPercent = 15;
inline constexpr double ZoomOutFloor = 20;   // zoom out acts only above this
inline constexpr double ZoomInCeiling = 8150; // zoom in acts only below this

enum class ZoomKind { Out = -1, Original = 0, In = 1, BestFit = 2 };
ZoomKind ZoomKindFrom(int kind); // -1, 1, 2; anything else is Original

// The new zoom factor, or nothing when the command changes nothing (zoom out at 20% or below, zoom in
// at 8150% or above). client is the document window's client area.
std::optional<double> NextZoom(ZoomKind kind, double zoomPercent, Extent picture, Extent client);

// Scroll position that centres picture coordinate `image` in a view of `viewLength`; never negative.
int ScrollPositionFor(int image, double zoomPercent, int viewLength);

// The document window's new size after fitting it to its view inside the main window's client area:
// each side is either an outer size (the main window is too small) or a client size (view + 4).
struct FittedSide {
    bool outer = false;
    int length = 0;
    friend bool operator==(const FittedSide&, const FittedSide&) = default;
};
struct FittedWindow {
    FittedSide width;
    FittedSide height;
};
FittedWindow FitWindowToView(Extent view, Extent mainClient);

}  // namespace zelpix
