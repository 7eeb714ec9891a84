#include "app/views_win32.h"

#include <vector>

#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

void AppendItems(HMENU menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::String:
            AppendMenuW(menu, MF_STRING, item.id, Wide(item.text).c_str());
            break;
        case MenuItem::Kind::Separator:
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case MenuItem::Kind::Popup: {
            // Once appended, the submenu goes with the menu that holds it.
            Menu popup(CreatePopupMenu());
            AppendItems(popup.get(), item.children);
            if (AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), Wide(item.text).c_str()))
                popup.release();
            break;
        }
        }
    }
}

}  // namespace

void Win32Views::TrackTrayMenu(const std::vector<MenuItem>& items) {
    // Its going destroys the day submenus and the schedule submenu with it.
    const Menu menu(CreatePopupMenu());
    AppendItems(menu.get(), items);
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(main_window_);
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, main_window_, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageW(main_window_, WM_NULL, 0, 0);
}

}  // namespace kronvik
