#pragma once
// The keys of Option.ini with their defaults, read and written as one record.
#include "app/core/ProfileFile.h"

#include <array>
#include <cstdint>
#include <string>

namespace zelpix {

// Order of the View section and of the View menu's check items.
enum ViewItem {
    FileControlBar, ImageEditBar, ImageViewBar, ImageProcessBar,
    LeftToolbar, NavigationWindow, ColorWindow, FilterWindow, ViewItemCount
};
extern const std::array<const char*, ViewItemCount> ViewKeyNames;

inline constexpr int RecentSlotCount = 10;
using RecentSlots = std::array<std::string, RecentSlotCount>; // slot 1 first; empty = hidden

struct OptionSettings {
    // General
    std::string version = "1.8";       // read only
    std::string skin = "devoir";
    std::string workDirectory;         // default: the program folder
    bool previewEffects = true;        // written only
    std::int64_t foregroundColor = 0;
    std::int64_t backgroundColor = 12632256;
    // Assistant
    bool autoSaveExecute = false;
    bool autoBackupExecute = false;
    std::int64_t autoSavePeriod = 300000;
    std::int64_t autoSaveMethod = 0;
    std::string autoBackupPath;        // default: program folder + "/Backup"
    // View
    std::array<bool, ViewItemCount> view{true, true, true, true, true, true, true, true};
    // Windows
    std::int64_t workspaceColor = -2147483633; // 0x8000000F, the button-face system colour
    // File List
    RecentSlots recentFiles{};
    // Capture Screen, Hot keys
    bool captureFullScreen = true;
    bool captureArea = false;
    bool captureActiveWindow = false;
    std::string hotKey = "Ctrl+ALT+Z";
};

// The defaults for a program living in programFolder.
OptionSettings DefaultOptionSettings(const std::string& programFolder);
// Every key read from the file; missing keys (or a missing file) take the defaults.
OptionSettings ReadOptionSettings(const ProfileFile& file, const std::string& programFolder);
// Every key that the program writes back at close (all but General/Version), one key at a time.
void WriteOptionSettings(ProfileFile& file, const OptionSettings& settings);

}  // namespace zelpix
