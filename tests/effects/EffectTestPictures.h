#pragma once
// Small pictures and measures shared by the effect tests.
#include "imaging/Picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace zelpix::effects::test {

// A picture whose pixels come from colour(x, y).
inline Picture MakePicture(int width, int height, const std::function<Bgr(int x, int y)>& colour)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.SetPixel(x, y, colour(x, y));
    return p;
}

inline Picture Flat(int width, int height, Bgr c)
{
    Picture p(width, height);
    p.Fill(c);
    return p;
}

// Smooth colour gradients with a few soft blobs: no detail finer than a few percent of the size, so a
// picture and a larger copy of it look alike after shrinking.
inline Picture Smooth(int width, int height)
{
    return MakePicture(width, height, [&](int x, int y) {
        const double u = (x + 0.5) / width, v = (y + 0.5) / height;
        const double blob = std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.6) * (v - 0.6)) * 20);
        return Bgr{std::uint8_t(40 + 180 * v), std::uint8_t(30 + 150 * blob + 60 * u),
                   std::uint8_t(20 + 200 * u * (1 - v))};
    });
}

// The mean of each factor x factor block.
inline Picture Shrink(const Picture& p, int factor)
{
    Picture out(p.Width() / factor, p.Height() / factor);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            int sum[3] = {0, 0, 0};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const Bgr c = p.Pixel(x * factor + i, y * factor + j);
                    sum[0] += c.b, sum[1] += c.g, sum[2] += c.r;
                }
            const int n = factor * factor;
            out.SetPixel(x, y, Bgr{std::uint8_t((sum[0] + n / 2) / n), std::uint8_t((sum[1] + n / 2) / n),
                                   std::uint8_t((sum[2] + n / 2) / n)});
        }
    return out;
}

// Each pixel of the larger picture repeats factor x factor times.
inline Picture Enlarge(const Picture& p, int factor)
{
    return MakePicture(p.Width() * factor, p.Height() * factor,
                       [&](int x, int y) { return p.Pixel(x / factor, y / factor); });
}

inline double MeanLevel(const Picture& p)
{
    double sum = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const Bgr c = p.Pixel(x, y);
            sum += c.b + c.g + c.r;
        }
    return sum / (3.0 * p.Width() * p.Height());
}

// True when every pixel outside [x0, x1) x [y0, y1) is the same in both pictures.
inline bool SameOutside(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((x < x0 || x >= x1 || y < y0 || y >= y1) && !(a.Pixel(x, y) == b.Pixel(x, y)))
                return false;
    return true;
}

}  // namespace zelpix::effects::test
