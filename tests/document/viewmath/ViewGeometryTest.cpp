#include "document/ops/HistoryNaming.h"
#include "document/ops/ViewGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelpix {
namespace {

TEST(ViewGeometry, ViewSizeRoundsHalfToEvenThenHalves)
{
    struct Case {
        int side;
        double zoom;
        int expected;
    };
    const Case cases[] = {
        {641, 100, 641}, {641, 50, 320}, {601, 25, 150}, // Round(300.5) = 300
        {603, 25, 151},                                  // Round(301.5) = 302
        {1, 10, 0},      {7, 85, 6},     {6000, 400, 24000}, {4000, 10, 400}, {3, 8155, 244},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ViewLength(c.side, c.zoom), c.expected) << c.side << " at " << c.zoom;
    EXPECT_EQ(ViewExtent({641, 480}, 50), (Extent{320, 240}));
}

TEST(ViewGeometry, CoordinateConversions)
{
    struct Case {
        double zoom;
        int value;
        int expected;
    };
    const Case viewToImage[] = {
        {100, 37, 37}, {50, 10, 20}, {200, 10, 5}, {150, 9, 6}, {85, 10, 10}, // Round(1.7) = 2
        {400, 100, 25},
        // Round(zoom / 50) is 0 here: the exact scale is used.
        {25, 10, 40}, {10, 3, 30}, {20.1, 2, 9},
    };
    for (const Case& c : viewToImage)
        EXPECT_EQ(ViewToImage(c.value, c.zoom), c.expected) << c.value << " at " << c.zoom;
    const Case imageToView[] = {
        {100, 37, 37}, {50, 20, 10}, {200, 5, 10}, {150, 6, 9}, {85, 10, 8},
        {400, 25, 100}, {25, 40, 10}, {10, 30, 3}, {50, -5, -2},
    };
    for (const Case& c : imageToView)
        EXPECT_EQ(ImageToView(c.value, c.zoom), c.expected) << c.value << " at " << c.zoom;
    // Exact inverses at multiples of 50.
    for (double zoom : {50.0, 100.0, 200.0, 400.0})
        for (int v : {0, 8, 136, 4000})
            EXPECT_EQ(ImageToView(ViewToImage(v, zoom), zoom), v) << v << " at " << zoom;
}

TEST(ViewGeometry, NothingDividesByZeroAtSmallZooms)
{
    for (double zoom : {25.0, 20.1, 10.0, 1.0, 0.0, -5.0}) {
        EXPECT_NO_THROW(ViewToImage(1000, zoom));
        EXPECT_GE(ViewToImage(1000, zoom), 0);
    }
    EXPECT_EQ(ViewToImage(1000, 0), 0);
}

std::vector<double> Sequence(ZoomKind kind, double start, int steps)
{
    std::vector<double> zooms;
    double zoom = start;
    for (int i = 0; i < steps; ++i) {
        if (auto next = NextZoom(kind, zoom, {100, 100}, {100, 100}))
            zoom = *next;
        zooms.push_back(zoom);
    }
    return zooms;
}

TEST(ViewGeometry, ZoomSequences)
{
    EXPECT_EQ(Sequence(ZoomKind::Out, 100, 7), (std::vector<double>{85, 70, 55, 40, 25, 10, 10}));
    EXPECT_FALSE(NextZoom(ZoomKind::Out, 20, {1, 1}, {1, 1}));
    EXPECT_EQ(NextZoom(ZoomKind::Out, 20.1, {1, 1}, {1, 1}), 20.1 - 15);
    const std::vector<double> in = Sequence(ZoomKind::In, 100, 540);
    EXPECT_EQ(in[0], 115);
    EXPECT_EQ(in[1], 130);
    EXPECT_EQ(in.back(), 8155); // 8140 < 8150 still zooms in; 8155 stops
    EXPECT_FALSE(NextZoom(ZoomKind::In, 8150, {1, 1}, {1, 1}));
    EXPECT_EQ(NextZoom(ZoomKind::Original, 415, {1, 1}, {1, 1}), 100);
    EXPECT_EQ(NextZoom(ZoomKindFrom(7), 415, {1, 1}, {1, 1}), 100);
    EXPECT_EQ(ZoomKindFrom(-1), ZoomKind::Out);
    EXPECT_EQ(ZoomKindFrom(2), ZoomKind::BestFit);
}

TEST(ViewGeometry, BestFit)
{
    struct Case {
        Extent picture;
        Extent client;
        double expected;
    };
    const Case cases[] = {
        {{1000, 500}, {500, 400}, 50},   // -500 is not greater than -100: by width
        {{500, 1000}, {400, 500}, 50},   // -100 > -500: by height, Round(50)
        {{300, 200}, {900, 500}, 250},   // 600 > 300: by height
        {{3, 3}, {2, 2}, 67},            // Round(66.67)
        {{8, 8}, {1, 1}, 12},            // Round(12.5) = 12, half to even
        {{6000, 4000}, {600, 400}, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextZoom(ZoomKind::BestFit, 100, c.picture, c.client), c.expected)
            << c.picture.width << "x" << c.picture.height;
    EXPECT_FALSE(NextZoom(ZoomKind::BestFit, 100, {0, 0}, {10, 10}));
}

TEST(ViewGeometry, ScrollPositionCentresThePointAndStopsAtZero)
{
    EXPECT_EQ(ScrollPositionFor(0, 100, 600), 0);
    EXPECT_EQ(ScrollPositionFor(400, 100, 600), 100);
    EXPECT_EQ(ScrollPositionFor(400, 200, 600), 500);
    EXPECT_EQ(ScrollPositionFor(100, 100, 600), 0);
}

TEST(ViewGeometry, FitWindowToView)
{
    struct Case {
        Extent view;
        Extent main;
        FittedSide width;
        FittedSide height;
    };
    const Case cases[] = {
        {{600, 400}, {973, 624}, {false, 604}, {false, 404}},
        {{953, 524}, {973, 624}, {false, 957}, {false, 528}}, // exactly at the limits: still client sizes
        {{954, 525}, {973, 624}, {true, 923}, {true, 474}},
        {{6000, 100}, {973, 624}, {true, 923}, {false, 104}},
    };
    for (const Case& c : cases) {
        const FittedWindow fitted = FitWindowToView(c.view, c.main);
        EXPECT_EQ(fitted.width, c.width) << c.view.width;
        EXPECT_EQ(fitted.height, c.height) << c.view.height;
    }
}

TEST(HistoryNaming, PrefixIsTheCaptionBeforeItsFirstDot)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a.b.jpg - 10 * 10", "a_3.bmp"}, {"photo.jpg - 640 * 480", "photo_3.bmp"},
        {"Untitled - 5 * 5", "_3.bmp"},   {"README - 1 * 1", "_3.bmp"},
        {"", "_3.bmp"},                    {".hidden.png - 2 * 2", "_3.bmp"},
    };
    for (const auto& [caption, name] : cases)
        EXPECT_EQ(HistoryFileName(caption, 3), name) << caption;
    EXPECT_EQ(HistoryFileName("a.b.jpg - 1 * 1", 0), "a_0.bmp");
    EXPECT_EQ(HistoryFileName("a.b.jpg - 1 * 1", 12), "a_12.bmp");
}

TEST(HistoryNaming, DocumentFoldersNameTheirProcess)
{
    EXPECT_EQ(HistoryFolderName(4321, 7), "4321-7");
    EXPECT_EQ(HistoryFolderOwner(HistoryFolderName(4321, 7)), 4321);
    for (const char* other : {"", "-", "12-", "-3", "12-x", "a-1", "12_3", "left-over", "1-2-3", "99999999999999999999-1"})
        EXPECT_EQ(HistoryFolderOwner(other), -1) << other;
}

}  // namespace
}  // namespace zelpix
