#pragma once
// Windows' message filter (UIPI) drops messages that a process of lower
// integrity sends or posts to an elevated one. Started elevated at logon,
// Kronvik must still hear the shell's tray callbacks and TaskbarCreated and
// the quit request of an installer or uninstaller that runs unelevated.
#include <windows.h>

#include <initializer_list>

namespace kronvik {

// Lets exactly these messages through to window from processes of lower
// integrity; nothing else is opened. Where the system has no such filter
// (before Windows 7) there is nothing to open, and it does nothing.
void AllowFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages);

}  // namespace kronvik
