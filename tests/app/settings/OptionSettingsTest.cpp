#include "app/core/OptionSettings.h"
#include "app/core/RecentFiles.h"
#include "app/core/ZoomSlider.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelpix {
namespace {

TEST(OptionSettings, DefaultsWithoutAFile)
{
    test::TempDir dir;
    const OptionSettings s = ReadOptionSettings(ProfileFile((dir / "Option.ini").string()), "/opt/zelpix");
    EXPECT_EQ(s.version, "1.8");
    EXPECT_EQ(s.skin, "devoir");
    EXPECT_EQ(s.workDirectory, "/opt/zelpix");
    EXPECT_TRUE(s.previewEffects);
    EXPECT_EQ(s.foregroundColor, 0);
    EXPECT_EQ(s.backgroundColor, 12632256);
    EXPECT_FALSE(s.autoSaveExecute);
    EXPECT_FALSE(s.autoBackupExecute);
    EXPECT_EQ(s.autoSavePeriod, 300000);
    EXPECT_EQ(s.autoSaveMethod, 0);
    EXPECT_EQ(s.autoBackupPath, "/opt/zelpix/Backup");
    for (bool shown : s.view)
        EXPECT_TRUE(shown);
    EXPECT_EQ(s.workspaceColor, -2147483633);
    for (const std::string& recent : s.recentFiles)
        EXPECT_EQ(recent, "");
    EXPECT_TRUE(s.captureFullScreen);
    EXPECT_FALSE(s.captureArea);
    EXPECT_FALSE(s.captureActiveWindow);
    EXPECT_EQ(s.hotKey, "Ctrl+ALT+Z");
}

TEST(OptionSettings, EveryKeyRoundTrips)
{
    test::TempDir dir;
    OptionSettings s;
    s.skin = "None";
    s.workDirectory = "/data/My Photos";
    s.previewEffects = false;
    s.foregroundColor = 255;
    s.backgroundColor = 65280;
    s.autoSaveExecute = true;
    s.autoBackupExecute = true;
    s.autoSavePeriod = 61000;
    s.autoSaveMethod = 3;
    s.autoBackupPath = "/data/backups";
    s.view = {false, true, false, true, false, true, false, true};
    s.workspaceColor = 16777215;
    for (int n = 0; n < RecentSlotCount; ++n)
        s.recentFiles[n] = n % 3 == 0 ? "" : "/pics/p" + std::to_string(n) + ".jpg";
    s.captureFullScreen = false;
    s.captureArea = true;
    s.captureActiveWindow = true;
    s.hotKey = "Shift+F9";
    ProfileFile file((dir / "Option.ini").string());
    WriteOptionSettings(file, s);
    const OptionSettings back = ReadOptionSettings(file, "/elsewhere");
    EXPECT_EQ(back.version, "1.8"); // never written
    EXPECT_EQ(back.skin, s.skin);
    EXPECT_EQ(back.workDirectory, s.workDirectory);
    EXPECT_TRUE(back.previewEffects); // written, but every start begins with it on
    EXPECT_EQ(file.ReadString("General", "Preview Effects", ""), "0");
    EXPECT_EQ(back.foregroundColor, s.foregroundColor);
    EXPECT_EQ(back.backgroundColor, s.backgroundColor);
    EXPECT_EQ(back.autoSaveExecute, s.autoSaveExecute);
    EXPECT_EQ(back.autoBackupExecute, s.autoBackupExecute);
    EXPECT_EQ(back.autoSavePeriod, s.autoSavePeriod);
    EXPECT_EQ(back.autoSaveMethod, s.autoSaveMethod);
    EXPECT_EQ(back.autoBackupPath, s.autoBackupPath);
    EXPECT_EQ(back.view, s.view);
    EXPECT_EQ(back.workspaceColor, s.workspaceColor);
    EXPECT_EQ(back.recentFiles, s.recentFiles);
    EXPECT_EQ(back.captureFullScreen, s.captureFullScreen);
    EXPECT_EQ(back.captureArea, s.captureArea);
    EXPECT_EQ(back.captureActiveWindow, s.captureActiveWindow);
    EXPECT_EQ(back.hotKey, s.hotKey);
    // The literal forms the file holds.
    EXPECT_EQ(file.ReadString("View", "File Control Bar", ""), "0");
    EXPECT_EQ(file.ReadString("View", "Image Edit Bar", ""), "1");
    EXPECT_EQ(file.ReadString("Capture Screen", "Area", ""), "1");
    EXPECT_EQ(file.ReadString("Hot keys", "Value", ""), "Shift+F9");

    s.workspaceColor = -2147483633;
    WriteOptionSettings(file, s);
    EXPECT_EQ(file.ReadString("Windows", "Background Color", ""), "-2147483633");
}

TEST(RecentFiles, TwelveFilesKeepTheTenNewestNewestOnTop)
{
    RecentSlots captions{};
    for (int i = 1; i <= 12; ++i)
        EXPECT_TRUE(AddRecentFile(captions, "/p/" + std::to_string(i) + ".jpg"));
    for (int slot = 0; slot < RecentSlotCount; ++slot)
        EXPECT_EQ(captions[slot], "/p/" + std::to_string(12 - slot) + ".jpg") << "slot " << slot + 1;
}

TEST(RecentFiles, FillsFromTheBottomUp)
{
    RecentSlots captions{};
    AddRecentFile(captions, "/a");
    AddRecentFile(captions, "/b");
    RecentSlots expected{};
    expected[9] = "/a";
    expected[8] = "/b";
    EXPECT_EQ(captions, expected);
}

TEST(RecentFiles, ListedPathChangesNothingButCaseCounts)
{
    RecentSlots captions{};
    for (const char* path : {"/x/A.jpg", "/x/b.jpg", "/x/c.jpg"})
        AddRecentFile(captions, path);
    const RecentSlots before = captions;
    EXPECT_FALSE(AddRecentFile(captions, "/x/b.jpg"));
    EXPECT_EQ(captions, before);
    EXPECT_FALSE(AddRecentFile(captions, ""));
    EXPECT_TRUE(AddRecentFile(captions, "/x/a.jpg"));
    EXPECT_EQ(captions[6], "/x/a.jpg");
}

TEST(RecentFiles, GapsFromTheSettingsFile)
{
    // Slots as Option.ini may leave them: the lowest hidden slot of 10..2 is taken first, slot 1 last.
    RecentSlots captions{"", "/2", "/3", "", "/5", "/6", "/7", "/8", "/9", "/10"};
    AddRecentFile(captions, "/new1");
    EXPECT_EQ(captions[3], "/new1");
    AddRecentFile(captions, "/new2");
    EXPECT_EQ(captions[0], "/new2");
    AddRecentFile(captions, "/new3");
    const RecentSlots expected{"/new3", "/new2", "/2", "/3", "/new1", "/5", "/6", "/7", "/8", "/9"};
    EXPECT_EQ(captions, expected);
}

TEST(ZoomSlider, PositionsAndTexts)
{
    struct Case {
        double zoom;
        int position;
        const char* text;
    };
    const Case cases[] = {
        {100, 800, "100%"}, {150, 825, "150%"}, {20, 0, "20%"},    {25, 50, "25%"},
        {10, -100, "10%"},  {115, 808, "115%"}, {8155, 4828, "8155%"}, {20.1, 1, "20.1%"},
        {100.0 / 3, 133, "33.3333333333333%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomSliderPosition(c.zoom), c.position) << c.zoom;
        EXPECT_EQ(ZoomText(c.zoom), c.text) << c.zoom;
    }
}

}  // namespace
}  // namespace zelpix
