#pragma once
#include "app/core/OptionSettings.h"

namespace zelpix {

// Puts a path into the ten captions: a path already listed (exact, case-sensitive) changes nothing; the list
// fills from the bottom up, the newest path directly above the older ones; when all ten are taken the
// oldest (slot 10) is dropped. Returns true when the captions changed.
bool AddRecentFile(RecentSlots& captions, const std::string& path);

}  // namespace zelpix
