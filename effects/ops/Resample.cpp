#include "effects/ops/Resample.h"

#include "effects/ops/ParallelRows.h"
#include "imaging/ImagingError.h"
#include "imaging/Round.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <type_traits>
#include <vector>

namespace zelpix::effects {

namespace {

struct Kernel {
    double support;
    double (*weight)(double t);
};

double Bell(double t)
{
    t = std::fabs(t);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5)
        return 0.5 * (t - 1.5) * (t - 1.5);
    return 0;
}
double Bspline(double t)
{
    t = std::fabs(t);
    if (t < 1)
        return (0.5 * t - 1) * t * t + 2.0 / 3.0;
    if (t < 2) {
        t = 2 - t;
        return t * t * t / 6.0;
    }
    return 0;
}
double Hermite(double t)
{
    t = std::fabs(t);
    return t < 1 ? (2 * t - 3) * t * t + 1 : 0;
}
double Sinc(double t)
{
    if (t == 0)
        return 1;
    t *= std::numbers::pi;
    return std::sin(t) / t;
}
double Lanczos3(double t)
{
    return std::fabs(t) < 3 ? Sinc(t) * Sinc(t / 3) : 0;
}
// Mitchell-Netravali with B = C = 1/3.
double Mitchell(double t)
{
    constexpr double b = 1.0 / 3.0, c = 1.0 / 3.0;
    t = std::fabs(t);
    if (t < 1)
        return ((12 - 9 * b - 6 * c) * t * t * t + (-18 + 12 * b + 6 * c) * t * t + (6 - 2 * b)) / 6;
    if (t < 2)
        return ((-b - 6 * c) * t * t * t + (6 * b + 30 * c) * t * t + (-12 * b - 48 * c) * t + (8 * b + 24 * c)) / 6;
    return 0;
}
double Triangle(double t)
{
    t = std::fabs(t);
    return t < 1 ? 1 - t : 0;
}

Kernel KernelOf(ResampleFilter filter)
{
    switch (filter) {
    case ResampleFilter::Bell: return {1.5, Bell};
    case ResampleFilter::Bspline: return {2, Bspline};
    case ResampleFilter::Hermite: return {1, Hermite};
    case ResampleFilter::Lanczos3: return {3, Lanczos3};
    case ResampleFilter::Mitchell: return {2, Mitchell};
    case ResampleFilter::Triangle: return {1, Triangle};
    case ResampleFilter::None: break;
    }
    return {0.5, Triangle};
}

constexpr int WeightBits = 14;

// For each output position the first input index and fixed-point weights summing to 1 << WeightBits.
// All outputs have the same number of taps (padded with zero weights) so the loops stay simple.
struct Contributions {
    int taps = 0;
    std::vector<int> first;
    std::vector<std::int32_t> weights; // taps per output
};

Contributions Contribute(int inSize, int outSize, ResampleFilter filter)
{
    const Kernel kernel = KernelOf(filter);
    const double scale = double(outSize) / inSize;
    const double stretch = scale < 1 ? 1 / scale : 1; // shrinking widens the filter
    const double reach = kernel.support * stretch;
    Contributions result;
    result.taps = std::min(inSize, int(std::floor(2 * reach)) + 1);
    result.first.resize(std::size_t(outSize));
    result.weights.assign(std::size_t(outSize) * result.taps, 0);
    std::vector<double> raw(std::size_t(result.taps));
    for (int o = 0; o < outSize; ++o) {
        const double centre = (o + 0.5) / scale - 0.5;
        int lo = std::max(0, int(std::ceil(centre - reach)));
        int hi = std::min(inSize - 1, int(std::floor(centre + reach)));
        if (hi - lo + 1 > result.taps)
            hi = lo + result.taps - 1;
        if (hi < lo) // a point filter between samples
            lo = hi = std::clamp(int(std::lround(centre)), 0, inSize - 1);
        const int first = std::min(lo, inSize - result.taps);
        double sum = 0;
        for (int t = 0; t < result.taps; ++t) {
            const int i = first + t;
            raw[t] = i >= lo && i <= hi ? kernel.weight((i - centre) / stretch) : 0;
            sum += raw[t];
        }
        std::int32_t* w = &result.weights[std::size_t(o) * result.taps];
        if (sum == 0) { // nothing in reach: the nearest sample
            w[std::clamp(int(std::lround(centre)) - first, 0, result.taps - 1)] = 1 << WeightBits;
        } else {
            // Rounded as running totals: the weights sum to exactly 1 << WeightBits and each stays within 1 of
            // its true value, however many taps share it.
            double running = 0;
            std::int64_t previous = 0;
            for (int t = 0; t < result.taps; ++t) {
                running += raw[t];
                const std::int64_t rounded = std::llround(running / sum * (1 << WeightBits));
                w[t] = std::int32_t(rounded - previous);
                previous = rounded;
            }
        }
        result.first[std::size_t(o)] = first;
    }
    return result;
}

Picture Nearest(const Picture& picture, int newWidth, int newHeight)
{
    Picture result(newWidth, newHeight);
    std::vector<int> columns(static_cast<std::size_t>(newWidth));
    for (int x = 0; x < newWidth; ++x)
        columns[std::size_t(x)] = int((std::int64_t(2 * x + 1) * picture.Width()) / (2 * std::int64_t(newWidth)));
    ForEachRowBand(newHeight, newWidth, [&](int y0, int y1) {
        const int n = newWidth; // a local: byte stores could alias a captured reference
        const int* column = columns.data();
        for (int y = y0; y < y1; ++y) {
            const int sy = int((std::int64_t(2 * y + 1) * picture.Height()) / (2 * std::int64_t(newHeight)));
            const std::uint8_t* in = picture.Row(sy);
            std::uint8_t* out = result.Row(y);
            for (int x = 0; x < n; ++x) {
                const std::uint8_t* p = in + 3 * column[x];
                out[3 * x] = p[0], out[3 * x + 1] = p[1], out[3 * x + 2] = p[2];
            }
        }
    });
    return result;
}

// The first pass writes 16-bit rows holding value x 64; the second rounds back to bytes.
constexpr int MidShift = 6;

template <typename In>
struct Rows {
    const In* data;
    std::size_t stride; // in elements
    const In* operator[](int y) const { return data + stride * std::size_t(y); }
};

template <typename In>
constexpr int PassShift()
{
    return std::is_same_v<In, std::uint8_t> ? WeightBits - MidShift : WeightBits + MidShift;
}

template <typename Out>
Out Store(std::int32_t sum, int shift)
{
    const std::int32_t v = (sum + (1 << (shift - 1))) >> shift;
    if constexpr (std::is_same_v<Out, std::uint8_t>)
        return ClampByte(v);
    else
        return std::int16_t(v);
}

// sum[i] += weight x row[i]: the inner loop of the vertical pass, built for AVX2 too where the processor has it.
template <typename In>
__attribute__((target_clones("avx2", "default"))) void AccumulateRow(std::int32_t* sum, const In* row, std::size_t n,
                                                                    std::int32_t weight)
{
    for (std::size_t i = 0; i < n; ++i)
        sum[i] += weight * row[i];
}

// Output row y of the vertical pass: sum over taps of weight x input row (first + t), element by element
// along the n elements of the row; `sums` is scratch of n.
template <typename In, typename Out>
void VerticalRow(Rows<In> in, std::size_t n, const Contributions& down, int y, std::int32_t* sums, Out* out)
{
    std::fill(sums, sums + n, 0);
    const std::int32_t* w = &down.weights[std::size_t(y) * down.taps];
    const int first = down.first[std::size_t(y)];
    for (int t = 0; t < down.taps; ++t)
        if (w[t] != 0)
            AccumulateRow(sums, in[first + t], n, w[t]);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = Store<Out>(sums[i], PassShift<In>());
}

template <typename In, typename Out>
void VerticalPass(Rows<In> in, std::size_t rowElements, const Contributions& down, int outRows, Out* out,
                  std::size_t outStride)
{
    ForEachRowBand(outRows, double(rowElements) * down.taps, [&](int y0, int y1) {
        std::vector<std::int32_t> sums(rowElements);
        for (int y = y0; y < y1; ++y)
            VerticalRow(in, rowElements, down, y, sums.data(), out + outStride * std::size_t(y));
    });
}

// Along a row: out pixel x = sum over taps of weight x in pixel (first[x] + t), per channel.
template <typename In, typename Out>
__attribute__((target_clones("avx2", "default"))) void FilterRow(const In* row, Out* out, int n, const int* first,
                                                                const std::int32_t* weights, int taps)
{
    for (int x = 0; x < n; ++x) {
        const In* p = row + 3 * std::size_t(first[x]);
        const std::int32_t* w = weights + std::size_t(x) * taps;
        std::int32_t b = 0, g = 0, r = 0;
        for (int t = 0; t < taps; ++t) {
            b += w[t] * p[3 * t];
            g += w[t] * p[3 * t + 1];
            r += w[t] * p[3 * t + 2];
        }
        out[3 * x] = Store<Out>(b, PassShift<In>());
        out[3 * x + 1] = Store<Out>(g, PassShift<In>());
        out[3 * x + 2] = Store<Out>(r, PassShift<In>());
    }
}

template <typename In, typename Out>
void HorizontalPass(Rows<In> in, int rows, const Contributions& across, int outWidth, Out* out, std::size_t outStride)
{
    ForEachRowBand(rows, double(outWidth) * across.taps * 3, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            FilterRow(in[y], out + outStride * std::size_t(y), outWidth, across.first.data(), across.weights.data(),
                      across.taps);
    });
}

}  // namespace

// Separable filtering: each output sample is the normalised weighted sum of the input samples within the
// filter's support around its centre ((o + 0.5) / scale - 0.5); when shrinking, the filter is stretched by
// 1 / scale so that it also averages. The vertical pass runs first when it shrinks, row by row into the
// horizontal one; otherwise the horizontal pass runs first over the whole picture.
// Weights are 14-bit fixed point, the intermediate 16-bit. None takes the pixel under each output pixel's centre.
Picture Resample(const Picture& picture, int newWidth, int newHeight, ResampleFilter filter)
{
    if (newWidth < 1 || newHeight < 1 || newWidth > MaxPictureSide || newHeight > MaxPictureSide)
        throw ImagingError("The new size must be 1 to " + std::to_string(MaxPictureSide) + " pixels on each side.");
    CheckPictureSize(newWidth, newHeight);
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to resample.");
    if (filter == ResampleFilter::None)
        return Nearest(picture, newWidth, newHeight);

    const int inWidth = picture.Width(), inHeight = picture.Height();
    const Contributions across = Contribute(inWidth, newWidth, filter);
    const Contributions down = Contribute(inHeight, newHeight, filter);
    const Rows<std::uint8_t> source{picture.Bits(), picture.Stride()};
    Picture result(newWidth, newHeight);
    if (newHeight < inHeight) {
        // Each output row is filtered down into one 16-bit row, then along it: no picture-sized intermediate.
        const std::size_t midRow = std::size_t(inWidth) * 3;
        ForEachRowBand(newHeight, double(midRow) * down.taps + 3.0 * newWidth * across.taps, [&](int y0, int y1) {
            std::vector<std::int32_t> sums(midRow);
            std::vector<std::int16_t> mid(midRow);
            for (int y = y0; y < y1; ++y) {
                VerticalRow(source, midRow, down, y, sums.data(), mid.data());
                FilterRow(mid.data(), result.Row(y), newWidth, across.first.data(), across.weights.data(),
                          across.taps);
            }
        });
    } else {
        const std::size_t midRow = std::size_t(newWidth) * 3;
        std::vector<std::int16_t> mid(midRow * std::size_t(inHeight));
        HorizontalPass(source, inHeight, across, newWidth, mid.data(), midRow);
        VerticalPass(Rows<std::int16_t>{mid.data(), midRow}, midRow, down, newHeight, result.Bits(), result.Stride());
    }
    return result;
}

}  // namespace zelpix::effects
