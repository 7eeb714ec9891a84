#pragma once
// The tray icon's popup command menu, rebuilt at every right-button press.
#include <vector>

#include "platform/menu.h"

namespace kronvik {

// Settings, manual time setting, the schedule submenu, version information,
// a separator and exit, in that order.
std::vector<MenuItem> BuildTrayMenu(std::vector<MenuItem> schedule_submenu);

}  // namespace kronvik
