#pragma once
// History files are named after the window caption: the text before its first ".", "_", the step number,
// ".bmp" ("photo.jpg - 640 * 480" gives photo_0.bmp, photo_1.bmp, ...).
#include <cstdint>
#include <string>

namespace zelpix {

std::string HistoryPrefix(const std::string& caption);
std::string HistoryFileName(const std::string& caption, int step);

// Each document keeps its files in a folder of its own inside History, named after the running program's
// process and a serial number ("1234-1"), so that documents with the same prefix never share files.
std::string HistoryFolderName(std::int64_t processId, int serial);
// The process that owns a document folder of that form; -1 for any other name.
std::int64_t HistoryFolderOwner(const std::string& folderName);

}  // namespace zelpix
