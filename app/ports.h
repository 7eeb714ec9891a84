#pragma once
// What the main window needs from the platform beyond the shared ports: the
// notification-area icon and the dialogs it opens.
#include <vector>

#include "platform/balloon.h"
#include "platform/menu.h"
#include "timesync/sync_view.h"

namespace kronvik {

// What the mouse did over the icon, as far as the program acts on it.
enum class TrayMouse { LeftDoubleClick, RightButtonDown, Other };

// The icon also shows the balloon notices.
class TrayIcon : public Balloon {
public:
    virtual ~TrayIcon() = default;
    virtual void Add() = 0;
    virtual void Remove() = 0;
};

// The dialogs as the command dispatch sees them. Each is shown non-modally and
// brought to the front when already visible. The settings dialog's controls
// that the synchronisation reads and writes come with them.
class Views : public SyncView {
public:
    // Shows the settings dialog, filled by its presenter.
    virtual void ShowSettings() = 0;
    virtual void ShowAbout() = 0;
    // Opens the menu at the cursor with the main window in the foreground and
    // returns when it closes; a choice arrives later as a posted menu command.
    virtual void TrackTrayMenu(const std::vector<MenuItem>& menu) = 0;
};

}  // namespace kronvik
