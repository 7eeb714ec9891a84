#include "platform/win32/dpi_win32.h"

namespace kronvik {

namespace {

// Looked up at run time: Windows before 10 (1607) has neither.
template <typename Function>
Function User32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 == nullptr ? nullptr : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto get_dpi_for_window = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (get_dpi_for_window != nullptr) {
        const UINT dpi = get_dpi_for_window(window);
        if (dpi != 0) return dpi;
    }
    const int dpi = GetDeviceCaps(ScreenDc(GetDC(nullptr)).get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

SIZE FrameSize(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
    static const auto adjust_for_dpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjust_for_dpi == nullptr || !adjust_for_dpi(&rect, style, FALSE, ex_style, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

Bitmap ScaledBitmap(HBITMAP picture, UINT dpi) {
    BITMAP info{};
    if (picture == nullptr || GetObjectW(picture, sizeof(info), &info) == 0) return Bitmap();
    const int width = ScaledPixels(info.bmWidth, dpi);
    const int height = ScaledPixels(info.bmHeight, dpi);
    const ScreenDc screen(GetDC(nullptr));
    Bitmap scaled(CreateCompatibleBitmap(screen.get(), width, height));
    const MemoryDc source(CreateCompatibleDC(screen.get()));
    const MemoryDc target(CreateCompatibleDC(screen.get()));
    if (scaled && source && target) {
        const HGDIOBJ old_source = SelectObject(source.get(), picture);
        const HGDIOBJ old_target = SelectObject(target.get(), scaled.get());
        SetStretchBltMode(target.get(), COLORONCOLOR);
        StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source.get(), old_source);
        SelectObject(target.get(), old_target);
    }
    return scaled;
}

}  // namespace kronvik
