#pragma once
// A popup menu as a plain tree, turned into real menus by the Win32 view.
#include <cstdint>
#include <string>
#include <vector>

namespace kronvik {

struct MenuItem {
    enum class Kind { String, Separator, Popup };
    Kind kind = Kind::String;
    uint32_t id = 0;  // command id of a String item; 0 otherwise
    std::string text;
    std::vector<MenuItem> children;  // items of a Popup
};

}  // namespace kronvik
