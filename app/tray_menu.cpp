#include "app/tray_menu.h"

#include <utility>

#include "app/command_ids.h"

namespace kronvik {

std::vector<MenuItem> BuildTrayMenu(std::vector<MenuItem> schedule_submenu) {
    using Kind = MenuItem::Kind;
    std::vector<MenuItem> menu;
    menu.push_back({Kind::String, kCmdSettings, "Kronvik設定", {}});
    menu.push_back({Kind::String, kCmdManualSync, "手動時刻設定", {}});
    menu.push_back({Kind::Popup, 0, "スケジュール", std::move(schedule_submenu)});
    menu.push_back({Kind::String, kCmdAbout, "バージョン情報", {}});
    menu.push_back({Kind::Separator, 0, {}, {}});
    menu.push_back({Kind::String, kCmdExit, "終了", {}});
    return menu;
}

}  // namespace kronvik
