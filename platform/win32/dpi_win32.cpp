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
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
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
    if (picture == nullptr || GetObjectW(picture, sizeof(info), &info) == 0) return nullptr;
    const int width = ScaledPixels(info.bmWidth, dpi);
    const int height = ScaledPixels(info.bmHeight, dpi);
    const HDC screen = GetDC(nullptr);
    Bitmap scaled(CreateCompatibleBitmap(screen, width, height));
    const HDC source = CreateCompatibleDC(screen);
    const HDC target = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (scaled != nullptr && source != nullptr && target != nullptr) {
        const HGDIOBJ old_source = SelectObject(source, picture);
        const HGDIOBJ old_target = SelectObject(target, scaled.get());
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, old_source);
        SelectObject(target, old_target);
    }
    if (source != nullptr) DeleteDC(source);
    if (target != nullptr) DeleteDC(target);
    return scaled;
}

}  // namespace kronvik
