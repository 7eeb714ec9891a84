#pragma once
// The tray menu's command ids, and the program's title and version.
#include <cstdint>

#include "version.h"

namespace kronvik {

inline constexpr uint32_t kCmdSettings = 1;
inline constexpr uint32_t kCmdManualSync = 2;
inline constexpr uint32_t kCmdAbout = 3;
inline constexpr uint32_t kCmdExit = 5;
inline constexpr uint32_t kCmdScheduleFirst = 100;
inline constexpr uint32_t kCmdScheduleLast = 1499;

inline constexpr char kApplicationTitle[] = "Kronvik";
inline constexpr char kVersionText[] = "Ver " KRONVIK_VERSION_TEXT;

}  // namespace kronvik
