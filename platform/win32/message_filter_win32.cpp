#include "platform/win32/message_filter_win32.h"

namespace kronvik {

void AllowFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages) {
    // Looked up at run time: the call exists from Windows 7 on only.
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    const auto filter = reinterpret_cast<FilterFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
    if (filter == nullptr) return;
    for (const UINT message : messages) {
        if (message == 0) continue;
        CHANGEFILTERSTRUCT change{sizeof(change), 0};
        filter(window, message, MSGFLT_ALLOW, &change);
    }
}

}  // namespace kronvik
