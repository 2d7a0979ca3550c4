#include "app/core/ProfileFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelpix {
namespace {

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ProfileFile, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    test::TempDir dir;
    ProfileFile file((dir / "Option.ini").string());
    EXPECT_EQ(file.ReadString("General", "Skin", "devoir"), "devoir");
    EXPECT_EQ(file.ReadInteger("Assistant", "Auto Save Period", 300000), 300000);
    EXPECT_TRUE(file.ReadBool("View", "Color Window", true));
    EXPECT_FALSE(std::filesystem::exists(dir / "Option.ini"));

    file.WriteString("General", "Work Directory", "/home/me/My Pictures");
    EXPECT_EQ(ReadText(dir / "Option.ini"), "[General]\r\nWork Directory=/home/me/My Pictures\r\n");
    EXPECT_EQ(file.ReadString("general", "work directory", ""), "/home/me/My Pictures");
}

TEST(ProfileFile, ReadsFilesWrittenByOtherEditors)
{
    test::TempDir dir;
    WriteText(dir / "Option.ini",
              "\xEF\xBB\xBF; comment\n[General]\nSkin = None \nVersion=\"2.0\"\n\n[View]\nColor Window=0\nFile Control Bar=1\n"
              "Image Edit Bar=yes\n[Windows]\nBackground Color=-2147483633\n[Other]\nSkin=wrong section\n");
    ProfileFile file((dir / "Option.ini").string());
    struct Case {
        const char* section;
        const char* key;
        std::int64_t fallback;
        std::int64_t expected;
    };
    const Case integers[] = {
        {"View", "Color Window", 1, 0},
        {"View", "File Control Bar", 0, 1},
        {"View", "Image Edit Bar", 7, 7}, // not a number: the default
        {"View", "Filter Window", 1, 1},  // missing key
        {"Windows", "Background Color", 0, -2147483633},
    };
    for (const Case& c : integers)
        EXPECT_EQ(file.ReadInteger(c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
    EXPECT_FALSE(file.ReadBool("View", "Color Window", true));
    EXPECT_EQ(file.ReadString("General", "Skin", ""), "None");
    EXPECT_EQ(file.ReadString("General", "Version", ""), "2.0");
}

TEST(ProfileFile, IntegerNotations)
{
    test::TempDir dir;
    ProfileFile file((dir / "a.ini").string());
    const std::pair<const char*, std::int64_t> cases[] = {
        {"42", 42}, {"-17", -17}, {"+5", 5}, {"0x8000000F", -2147483633}, {"$C0C0C0", 12632256},
        {"12abc", -1}, {"", -1}, {"-", -1}, {"99999999999999999999", -1},
    };
    for (const auto& [text, expected] : cases) {
        file.WriteString("S", "K", text);
        EXPECT_EQ(file.ReadInteger("S", "K", -1), expected) << '"' << text << '"';
    }
}

TEST(ProfileFile, WritesReplaceInPlaceAndKeepOtherLines)
{
    test::TempDir dir;
    WriteText(dir / "a.ini", "\xEF\xBB\xBF[General]\r\nSkin=devoir\r\n; keep me\r\n\r\n[View]\r\nColor Window=1\r\n");
    ProfileFile file((dir / "a.ini").string());
    file.WriteBool("View", "Color Window", false);
    file.WriteString("General", "Work Directory", "/tmp");
    file.WriteInteger("Windows", "Background Color", -2147483633);
    file.WriteString("general", "SKIN", "None"); // names compare without case
    EXPECT_EQ(ReadText(dir / "a.ini"),
              "[General]\r\nSKIN=None\r\nWork Directory=/tmp\r\n; keep me\r\n\r\n[View]\r\nColor Window=0\r\n\r\n"
              "[Windows]\r\nBackground Color=-2147483633\r\n");
}

TEST(ProfileFile, UnwritableFileIsReported)
{
    test::TempDir dir;
    ProfileFile file((dir / "missing-folder" / "Option.ini").string());
    EXPECT_THROW(file.WriteString("General", "Skin", "x"), std::runtime_error);
}

}  // namespace
}  // namespace zelpix
