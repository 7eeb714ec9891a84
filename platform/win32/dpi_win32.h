#pragma once
// Pixels for the monitor's DPI. Layout tables, fonts and pictures are drawn
// for 96 DPI and scaled once, when a window is laid out for its monitor.
#include <windows.h>

#include "platform/win32/gdi_win32.h"

namespace kronvik {

inline constexpr UINT kDesignDpi = 96;

// The DPI of the monitor the window is on (the system DPI before Windows 10).
UINT WindowDpi(HWND window);

// A length of the 96-DPI design at dpi, rounded to the nearest pixel.
inline int ScaledPixels(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDesignDpi); }

// The outer size of a window of this style whose client area is client.
SIZE FrameSize(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

// A copy of a 96-DPI picture for dpi, each pixel repeated, never blended, so
// the seven-segment digits stay sharp.
Bitmap ScaledBitmap(HBITMAP picture, UINT dpi);

}  // namespace kronvik
