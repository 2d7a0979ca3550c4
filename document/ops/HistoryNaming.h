#pragma once
// History files are named after the window caption: the text before its first ".", "_", the step number,
// ".bmp" ("photo.jpg - 640 * 480" gives photo_0.bmp, photo_1.bmp, ...).
#include <string>

namespace zelpix {

std::string HistoryPrefix(const std::string& caption);
std::string HistoryFileName(const std::string& caption, int step);

}  // namespace zelpix
