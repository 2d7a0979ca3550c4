#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zelpix::test;

namespace {
std::string Cli(const std::string& args) { return ShellQuote(ZELPIX_CLI) + " " + args + " 2>&1"; }
}  // namespace

TEST(Cli, ConvertsAndReportsInfo)
{
    TempDir dir;
    const std::string out = (dir / "coffee.bmp").string();
    ASSERT_EQ(RunCommand(Cli("convert " + ShellQuote(SamplePath("coffee.png").string()) + " " + ShellQuote(out))), 0);
    std::string text;
    ASSERT_EQ(RunCommand(Cli("info " + ShellQuote(out)), &text), 0) << text;
    EXPECT_NE(text.find("size: 600 * 400"), std::string::npos) << text;
    EXPECT_NE(text.find("depth: 24M"), std::string::npos) << text;
    EXPECT_NE(text.find("reader: Windows bitmap"), std::string::npos) << text;
}

TEST(Cli, FailuresExitNonZeroWithAMessage)
{
    TempDir dir;
    std::string text;
    EXPECT_NE(RunCommand(Cli("info " + ShellQuote((dir / "none.png").string())), &text), 0);
    EXPECT_NE(text.find("none.png"), std::string::npos) << text;
    WriteBytes(dir / "bad.png", {1, 2, 3});
    text.clear();
    EXPECT_NE(RunCommand(Cli("convert " + ShellQuote((dir / "bad.png").string()) + " " +
                             ShellQuote((dir / "x.bmp").string())), &text), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
    EXPECT_NE(RunCommand(Cli("frobnicate")), 0);
}
