// The status-bar depth label of files read by our own readers, through the reader table.
#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

TEST(DepthLabel, FilesOfOurOwnReadersCarryTheirDepth)
{
    const struct {
        const char* file;
        const char* label;
        const char* reader;
    } cases[] = {
        {"bmp/pal1.bmp", "2", "Windows bitmap"},       {"bmp/pal4.bmp", "16", "Windows bitmap"},
        {"bmp/rle8.bmp", "256", "Windows bitmap"},     {"bmp/rgb565.bmp", "16M", "Windows bitmap"},
        {"bmp/rgb24.bmp", "24M", "Windows bitmap"},    {"bmp/argb32.bmp", "32M", "Windows bitmap"},
        {"pnm/p1.pbm", "2", "portable any-map"},       {"pnm/p5-65535.pgm", "256", "portable any-map"},
        {"pnm/p6-65535.ppm", "24M", "portable any-map"}, {"pcx/netpbm-planes4.pcx", "16", "PCX"},
        {"pcx/netpbm-planes3.pcx", "32M", "PCX"},      {"pcx/im-rgb24.pcx", "24M", "PCX"},
        {"tga/ff-rgb555.tga", "16M", "Targa"},         {"tga/im-map8.tga", "256", "Targa"},
        {"tga/pil-rle-rgba.tga", "32M", "Targa"},      {"ico/im-pal4.ico", "16", "icon"},
        {"ico/im-cursor.cur", "32M", "cursor"},        {"ico/pil-bmp24.ico", "24M", "icon"},
    };
    for (const auto& c : cases) {
        const PictureFile file = ReadPictureFile(FixturePath(std::string("imaging/") + c.file).string());
        EXPECT_EQ(file.depthLabel, c.label) << c.file;
        EXPECT_EQ(file.readerName, c.reader) << c.file;
    }
}
