#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// Metafiles are made here record by record; emf2svg, an independent reader, checks that they are well formed
// and places the bitmaps where we do.
class EmfBuilder {
public:
    EmfBuilder(int left, int top, int right, int bottom)
    {
        Bytes h(108, 0);
        PutLe32(&h[0], 1);
        PutLe32(&h[4], 108);
        PutLe32(&h[8], std::uint32_t(left));
        PutLe32(&h[12], std::uint32_t(top));
        PutLe32(&h[16], std::uint32_t(right));
        PutLe32(&h[20], std::uint32_t(bottom));
        // Frame in 0.01 mm for a device of 100 pixels per 25.4 mm (about 100 dpi).
        PutLe32(&h[24], std::uint32_t(left * 2540 / 100));
        PutLe32(&h[28], std::uint32_t(top * 2540 / 100));
        PutLe32(&h[32], std::uint32_t((right + 1) * 2540 / 100));
        PutLe32(&h[36], std::uint32_t((bottom + 1) * 2540 / 100));
        std::memcpy(&h[40], " EMF", 4);
        PutLe32(&h[44], 0x10000);
        PutLe16(&h[56], 1);
        PutLe32(&h[72], 1000);
        PutLe32(&h[76], 1000);
        PutLe32(&h[80], 254);
        PutLe32(&h[84], 254);
        PutLe32(&h[100], 254000);
        PutLe32(&h[104], 254000);
        bytes_ = h;
        records_ = 1;
    }

    // A DIB of the picture: 24 bits, bottom-up (or 8 bits through a grey palette).
    static Bytes Dib(const Picture& picture)
    {
        const Bytes bmp = WriteBmp(picture);
        return Bytes(bmp.begin() + 14, bmp.end());
    }

    void StretchDiBits(int x, int y, int cx, int cy, const Bytes& dib, int srcX, int srcY, int srcW, int srcH,
                       std::uint32_t rop = 0x00CC0020)
    {
        Bytes r(80, 0);
        PutLe32(&r[8 + 8], 0x7FFFFFFF); // bounds: not used by readers
        PutLe32(&r[24], std::uint32_t(x));
        PutLe32(&r[28], std::uint32_t(y));
        PutLe32(&r[32], std::uint32_t(srcX));
        PutLe32(&r[36], std::uint32_t(srcY));
        PutLe32(&r[40], std::uint32_t(srcW));
        PutLe32(&r[44], std::uint32_t(srcH));
        const std::uint32_t infoSize = HeaderAndPalette(dib);
        PutLe32(&r[48], 80);
        PutLe32(&r[52], infoSize);
        PutLe32(&r[56], 80 + infoSize);
        PutLe32(&r[60], std::uint32_t(dib.size() - infoSize));
        PutLe32(&r[68], rop);
        PutLe32(&r[72], std::uint32_t(cx));
        PutLe32(&r[76], std::uint32_t(cy));
        Add(81, r, dib);
    }

    void BitBlt(int x, int y, int cx, int cy, const Bytes& dib, int srcX, int srcY, int srcW = 0, int srcH = 0)
    {
        const bool stretch = srcW != 0;
        Bytes r(stretch ? 108 : 100, 0);
        PutLe32(&r[24], std::uint32_t(x));
        PutLe32(&r[28], std::uint32_t(y));
        PutLe32(&r[32], std::uint32_t(cx));
        PutLe32(&r[36], std::uint32_t(cy));
        PutLe32(&r[40], 0x00CC0020);
        PutLe32(&r[44], std::uint32_t(srcX));
        PutLe32(&r[48], std::uint32_t(srcY));
        PutLe32(&r[52], 0x3F800000); // identity transform (floats)
        PutLe32(&r[64], 0x3F800000);
        const std::uint32_t infoSize = HeaderAndPalette(dib);
        PutLe32(&r[80], std::uint32_t(r.size()));
        PutLe32(&r[84], infoSize);
        PutLe32(&r[88], std::uint32_t(r.size()) + infoSize);
        PutLe32(&r[92], std::uint32_t(dib.size() - infoSize));
        if (stretch) {
            PutLe32(&r[100], std::uint32_t(srcW));
            PutLe32(&r[104], std::uint32_t(srcH));
        }
        Add(stretch ? 77 : 76, r, dib);
    }

    // The bits may hold only scans rows, starting at startScan from the bottom (all rows when scans is 0).
    void SetDiBitsToDevice(int x, int y, const Bytes& dib, int srcX, int srcY, int w, int h, int startScan = 0,
                           int scans = 0)
    {
        Bytes r(76, 0);
        PutLe32(&r[24], std::uint32_t(x));
        PutLe32(&r[28], std::uint32_t(y));
        PutLe32(&r[32], std::uint32_t(srcX));
        PutLe32(&r[36], std::uint32_t(srcY));
        PutLe32(&r[40], std::uint32_t(w));
        PutLe32(&r[44], std::uint32_t(h));
        const std::uint32_t infoSize = HeaderAndPalette(dib);
        PutLe32(&r[48], 76);
        PutLe32(&r[52], infoSize);
        PutLe32(&r[56], 76 + infoSize);
        PutLe32(&r[60], std::uint32_t(dib.size() - infoSize));
        PutLe32(&r[68], std::uint32_t(startScan));
        PutLe32(&r[72], std::uint32_t(scans ? scans : std::abs(GetLeI32(&dib[8]))));
        Add(80, r, dib);
    }

    // Any record the reader should pass over (here EMR_SETBKMODE).
    void Other() { Add(18, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, {}); }

    Bytes Finish()
    {
        Bytes eof(20, 0);
        PutLe32(&eof[12], 16);
        PutLe32(&eof[16], 20);
        Add(14, eof, {});
        Bytes out = bytes_;
        PutLe32(&out[48], std::uint32_t(out.size()));
        PutLe32(&out[52], records_);
        return out;
    }

private:
    static std::uint32_t HeaderAndPalette(const Bytes& dib)
    {
        const std::uint32_t bits = GetLe16(&dib[14]);
        const std::uint32_t used = GetLe32(&dib[32]);
        return 40 + 4 * (bits <= 8 ? (used ? used : 1u << bits) : 0);
    }

    void Add(std::uint32_t type, Bytes record, const Bytes& payload)
    {
        record.insert(record.end(), payload.begin(), payload.end());
        while (record.size() % 4)
            record.push_back(0);
        PutLe32(&record[0], type);
        PutLe32(&record[4], std::uint32_t(record.size()));
        bytes_.insert(bytes_.end(), record.begin(), record.end());
        ++records_;
    }

    Bytes bytes_;
    std::uint32_t records_ = 0;
};

Picture Solid(int width, int height, Bgr colour)
{
    Picture p(width, height);
    p.Fill(colour);
    return p;
}

// The <image> elements emf2svg places: x, y, width, height.
std::vector<std::array<double, 4>> Emf2SvgImages(const Bytes& emf)
{
    TempDir dir;
    WriteBytes(dir / "in.emf", emf);
    std::string svg;
    if (RunCommand("emf2svg-conv -i " + ShellQuote((dir / "in.emf").string()) + " -o " +
                   ShellQuote((dir / "out.svg").string()) + " 2>&1") != 0)
        return {};
    const Bytes bytes = ReadBytes(dir / "out.svg");
    svg.assign(bytes.begin(), bytes.end());
    std::vector<std::array<double, 4>> images;
    const std::regex tag("<image[^>]*>");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::string element = it->str();
        std::array<double, 4> box{};
        const char* names[] = {"x", "y", "width", "height"};
        for (int i = 0; i < 4; ++i) {
            std::smatch value;
            if (std::regex_search(element, value, std::regex(std::string(" ") + names[i] + "=\"([-0-9.]+)\"")))
                box[i] = std::stod(value[1]);
        }
        images.push_back(box);
    }
    return images;
}

}  // namespace

TEST(Emf, BitmapRecordsAreDrawnAtTheirDestinationsOnWhite)
{
    const Picture source = MakeTestPicture(6, 4, 9);
    EmfBuilder emf(0, 0, 9, 7);
    emf.Other();
    emf.StretchDiBits(2, 1, 6, 4, EmfBuilder::Dib(source), 0, 0, 6, 4);
    const Bytes file = emf.Finish();
    const DecodedPicture decoded = ReadEmfBitmaps(file);
    ASSERT_EQ(decoded.picture.Width(), 10);
    ASSERT_EQ(decoded.picture.Height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 8 && y >= 1 && y < 5;
            EXPECT_EQ(decoded.picture.Pixel(x, y), (inside ? source.Pixel(x - 2, y - 1) : Bgr{255, 255, 255}))
                << x << "," << y;
        }
    if (HaveTool("emf2svg-conv")) {
        const auto images = Emf2SvgImages(file);
        ASSERT_EQ(images.size(), 1u) << "emf2svg did not read the file";
        EXPECT_NEAR(images[0][0], 2, 0.01);
        EXPECT_NEAR(images[0][1], 1, 0.01);
        EXPECT_NEAR(images[0][2], 6, 0.01);
        EXPECT_NEAR(images[0][3], 4, 0.01);
    }
}

TEST(Emf, StretchMirrorSourceRectanglesAndEveryBitmapRecord)
{
    Picture source(4, 2); // columns a b c d, rows top and bottom
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            source.SetPixel(x, y, {std::uint8_t(10 * x), std::uint8_t(100 + y), 7});
    const Bytes dib = EmfBuilder::Dib(source);
    auto px = [&](int x, int y) { return source.Pixel(x, y); };
    const Bgr white{255, 255, 255};
    const struct {
        const char* what;
        std::function<void(EmfBuilder&)> draw;
        std::vector<std::vector<Bgr>> rows; // 4 x 2 picture
    } cases[] = {
        {"twice as wide, nearest neighbour",
         [&](EmfBuilder& e) { e.StretchDiBits(0, 0, 4, 1, dib, 0, 1, 2, 1); },
         {{px(0, 0), px(0, 0), px(1, 0), px(1, 0)}, {white, white, white, white}}},
        {"mirrored by a negative width",
         [&](EmfBuilder& e) { e.StretchDiBits(3, 0, -4, 2, dib, 0, 0, 4, 2); },
         {{px(3, 0), px(2, 0), px(1, 0), px(0, 0)}, {px(3, 1), px(2, 1), px(1, 1), px(0, 1)}}},
        {"source rectangle counted from the bottom left",
         [&](EmfBuilder& e) { e.StretchDiBits(0, 1, 2, 1, dib, 2, 0, 2, 1); },
         {{white, white, white, white}, {px(2, 1), px(3, 1), white, white}}},
        {"BitBlt counts from the top left",
         [&](EmfBuilder& e) { e.BitBlt(1, 0, 2, 1, dib, 2, 1); },
         {{white, px(2, 1), px(3, 1), white}, {white, white, white, white}}},
        {"StretchBlt halves",
         [&](EmfBuilder& e) { e.BitBlt(0, 0, 2, 1, dib, 0, 0, 4, 2); },
         {{px(0, 0), px(2, 0), white, white}, {white, white, white, white}}},
        {"SetDIBitsToDevice",
         [&](EmfBuilder& e) { e.SetDiBitsToDevice(1, 1, dib, 0, 0, 3, 1); },
         {{white, white, white, white}, {white, px(0, 1), px(1, 1), px(2, 1)}}},
        {"SetDIBitsToDevice with a band of one row: the bottom one",
         [&](EmfBuilder& e) {
             Bytes band = dib;
             band.resize(40 + 12); // the first stored row is the bottom row
             e.SetDiBitsToDevice(0, 0, band, 0, 0, 4, 2, 0, 1);
         },
         {{white, white, white, white}, {px(0, 1), px(1, 1), px(2, 1), px(3, 1)}}},
        {"later records draw over earlier ones, clipped at the edges",
         [&](EmfBuilder& e) {
             e.StretchDiBits(-2, -1, 4, 2, dib, 0, 0, 4, 2);
             e.StretchDiBits(3, 1, 4, 2, dib, 0, 0, 4, 2);
         },
         {{px(2, 1), px(3, 1), white, white}, {white, white, white, px(0, 0)}}},
    };
    for (const auto& c : cases) {
        EmfBuilder emf(0, 0, 3, 1);
        c.draw(emf);
        const Picture picture = ReadEmfBitmaps(emf.Finish()).picture;
        ASSERT_EQ(picture.Width(), 4) << c.what;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(picture.Pixel(x, y), c.rows[y][x]) << c.what << " at " << x << "," << y;
    }
}

TEST(Emf, BoundsOriginPaletteDibsAndTopDownDibs)
{
    // The picture's corner is the bounds' corner.
    const Picture red = Solid(2, 2, {0, 0, 255});
    EmfBuilder shifted(100, 50, 103, 52);
    shifted.StretchDiBits(101, 51, 2, 2, EmfBuilder::Dib(red), 0, 0, 2, 2);
    const Picture p = ReadEmfBitmaps(shifted.Finish()).picture;
    ASSERT_EQ(p.Width(), 4);
    ASSERT_EQ(p.Height(), 3);
    EXPECT_EQ(p.Pixel(0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(p.Pixel(1, 1), (Bgr{0, 0, 255}));
    EXPECT_EQ(p.Pixel(2, 2), (Bgr{0, 0, 255}));

    // An 8-bit DIB stored top-down: its source rectangle counts from the top.
    Bytes dib(40 + 8 + 4 * 2, 0);
    PutLe32(&dib[0], 40);
    PutLe32(&dib[4], 2);
    PutLe32(&dib[8], std::uint32_t(-2));
    PutLe16(&dib[12], 1);
    PutLe16(&dib[14], 8);
    PutLe32(&dib[32], 2);
    PutLe32(&dib[40], 0x00102030);
    PutLe32(&dib[44], 0x00FFFFFF);
    dib[48] = 0; // top row: palette 0, 1
    dib[49] = 1;
    dib[52] = 1; // bottom row: 1, 0
    dib[53] = 0;
    EmfBuilder topDown(0, 0, 1, 0);
    topDown.StretchDiBits(0, 0, 2, 1, dib, 0, 0, 2, 1);
    const Picture q = ReadEmfBitmaps(topDown.Finish()).picture;
    EXPECT_EQ(q.Pixel(0, 0), (Bgr{0x30, 0x20, 0x10}));
    EXPECT_EQ(q.Pixel(1, 0), (Bgr{255, 255, 255}));
}

TEST(Emf, FilesWithoutBitmapsOrTruncatedAreRefused)
{
    EmfBuilder empty(0, 0, 9, 9);
    empty.Other();
    const Bytes noBitmap = empty.Finish();
    try {
        ReadEmfBitmaps(noBitmap);
        ADD_FAILURE() << "accepted";
    } catch (const ImagingError& error) {
        EXPECT_NE(std::string(error.what()).find("holds no bitmap"), std::string::npos) << error.what();
    }

    EmfBuilder emf(0, 0, 9, 9);
    emf.StretchDiBits(0, 0, 10, 10, EmfBuilder::Dib(MakeTestPicture(5, 5, 2)), 0, 0, 5, 5);
    const Bytes file = emf.Finish();
    ASSERT_NO_THROW(ReadEmfBitmaps(file));
    // Cut anywhere before the end-of-file record, the file is refused.
    ExpectCutsRefused(ReadEmfBitmaps, file, file.size() - 20, "emf");
    ExpectCorruptionSurvived(ReadEmfBitmaps, file, 108 + 80 + 40, "emf");

    // Hostile sizes: a record larger than the file, a DIB beyond its record, a huge picture.
    Bytes bigRecord = file;
    PutLe32(&bigRecord[108 + 4], 0x7FFFFFF0);
    EXPECT_THROW(ReadEmfBitmaps(bigRecord), ImagingError);
    Bytes dibOutside = file;
    PutLe32(&dibOutside[108 + 60], 0x7FFFFFF0);
    EXPECT_THROW(ReadEmfBitmaps(dibOutside), ImagingError);
    Bytes huge = file;
    PutLe32(&huge[16], 70000);
    EXPECT_THROW(ReadEmfBitmaps(huge), ImagingError);
}
