#include "document/ops/ViewGeometry.h"

#include "imaging/Round.h"

#include <cmath>

namespace zelpix {

int ViewLength(int pictureLength, double zoomPercent)
{
    return int(Round(double(pictureLength) * zoomPercent / 50) / 2);
}

Extent ViewExtent(Extent picture, double zoomPercent)
{
    return {ViewLength(picture.width, zoomPercent), ViewLength(picture.height, zoomPercent)};
}

int ViewToImage(int view, double zoomPercent)
{
    if (zoomPercent <= 0)
        return 0;
    const std::int64_t divisor = Round(zoomPercent / 50);
    if (divisor == 0)
        return int(std::trunc(double(view) * 100 / zoomPercent));
    return int((2 * std::int64_t(view)) / divisor);
}

int ImageToView(int image, double zoomPercent)
{
    return int(Round(double(image) * zoomPercent / 50) / 2);
}

ZoomKind ZoomKindFrom(int kind)
{
    switch (kind) {
    case -1: return ZoomKind::Out;
    case 1: return ZoomKind::In;
    case 2: return ZoomKind::BestFit;
    default: return ZoomKind::Original;
    }
}

std::optional<double> NextZoom(ZoomKind kind, double zoomPercent, Extent picture, Extent client)
{
    switch (kind) {
    case ZoomKind::Out:
        if (zoomPercent > ZoomOutFloor)
            return zoomPercent - ZoomStepPercent;
        return std::nullopt;
    case ZoomKind::In:
        if (zoomPercent >= ZoomInCeiling)
            return std::nullopt;
        return zoomPercent + ZoomStepPercent;
    case ZoomKind::BestFit:
        if (picture.width <= 0 || picture.height <= 0)
            return std::nullopt;
        if (client.width - picture.width > client.height - picture.height)
            return double(Round(double(client.height) / picture.height * 100));
        return double(Round(double(client.width) / picture.width * 100));
    case ZoomKind::Original:
        break;
    }
    return 100.0;
}

int ScrollPositionFor(int image, double zoomPercent, int viewLength)
{
    const int position = ImageToView(image, zoomPercent) - viewLength / 2;
    return position > 0 ? position : 0;
}

FittedWindow FitWindowToView(Extent view, Extent mainClient)
{
    FittedWindow fitted;
    if (mainClient.width - 20 < view.width)
        fitted.width = {true, mainClient.width - 50};
    else
        fitted.width = {false, view.width + 4};
    if (mainClient.height - 100 < view.height)
        fitted.height = {true, mainClient.height - 150};
    else
        fitted.height = {false, view.height + 4};
    return fitted;
}

}  // namespace zelpix
