#include "app/core/OptionSettings.h"

namespace zelpix {

const std::array<const char*, ViewItemCount> ViewKeyNames = {
    "File Control Bar", "Image Edit Bar", "Image View Bar", "Image Process Bar",
    "Left Toolbar", "Navigation Window", "Color Window", "Filter Window"};

OptionSettings DefaultOptionSettings(const std::string& programFolder)
{
    OptionSettings s;
    s.workDirectory = programFolder;
    s.autoBackupPath = programFolder + "/Backup";
    return s;
}

OptionSettings ReadOptionSettings(const ProfileFile& file, const std::string& programFolder)
{
    const OptionSettings d = DefaultOptionSettings(programFolder);
    OptionSettings s;
    s.version = file.ReadString("General", "Version", d.version);
    s.skin = file.ReadString("General", "Skin", d.skin);
    s.workDirectory = file.ReadString("General", "Work Directory", d.workDirectory);
    s.previewEffects = d.previewEffects; // starts true at every start
    s.foregroundColor = file.ReadInteger("General", "Foreground Color", d.foregroundColor);
    s.backgroundColor = file.ReadInteger("General", "Background Color", d.backgroundColor);
    s.autoSaveExecute = file.ReadBool("Assistant", "Auto Save Execute", d.autoSaveExecute);
    s.autoBackupExecute = file.ReadBool("Assistant", "Auto Backup Execute", d.autoBackupExecute);
    s.autoSavePeriod = file.ReadInteger("Assistant", "Auto Save Period", d.autoSavePeriod);
    s.autoSaveMethod = file.ReadInteger("Assistant", "Auto Save Method", d.autoSaveMethod);
    s.autoBackupPath = file.ReadString("Assistant", "Auto Backup Path", d.autoBackupPath);
    for (int i = 0; i < ViewItemCount; ++i)
        s.view[i] = file.ReadBool("View", ViewKeyNames[i], d.view[i]);
    s.workspaceColor = file.ReadInteger("Windows", "Background Color", d.workspaceColor);
    for (int n = 0; n < RecentSlotCount; ++n)
        s.recentFiles[n] = file.ReadString("File List", "Index" + std::to_string(n + 1), "");
    s.captureFullScreen = file.ReadBool("Capture Screen", "Full Screen", d.captureFullScreen);
    s.captureArea = file.ReadBool("Capture Screen", "Area", d.captureArea);
    s.captureActiveWindow = file.ReadBool("Capture Screen", "Active Window", d.captureActiveWindow);
    s.hotKey = file.ReadString("Hot keys", "Value", d.hotKey);
    return s;
}

void WriteOptionSettings(ProfileFile& file, const OptionSettings& s)
{
    file.WriteString("General", "Skin", s.skin);
    file.WriteString("General", "Work Directory", s.workDirectory);
    file.WriteBool("General", "Preview Effects", s.previewEffects);
    file.WriteInteger("General", "Foreground Color", s.foregroundColor);
    file.WriteInteger("General", "Background Color", s.backgroundColor);
    file.WriteBool("Assistant", "Auto Save Execute", s.autoSaveExecute);
    file.WriteBool("Assistant", "Auto Backup Execute", s.autoBackupExecute);
    file.WriteInteger("Assistant", "Auto Save Period", s.autoSavePeriod);
    file.WriteInteger("Assistant", "Auto Save Method", s.autoSaveMethod);
    file.WriteString("Assistant", "Auto Backup Path", s.autoBackupPath);
    for (int i = 0; i < ViewItemCount; ++i)
        file.WriteBool("View", ViewKeyNames[i], s.view[i]);
    file.WriteInteger("Windows", "Background Color", s.workspaceColor);
    for (int n = 0; n < RecentSlotCount; ++n)
        file.WriteString("File List", "Index" + std::to_string(n + 1), s.recentFiles[n]);
    file.WriteBool("Capture Screen", "Full Screen", s.captureFullScreen);
    file.WriteBool("Capture Screen", "Area", s.captureArea);
    file.WriteBool("Capture Screen", "Active Window", s.captureActiveWindow);
    file.WriteString("Hot keys", "Value", s.hotKey);
}

}  // namespace zelpix
