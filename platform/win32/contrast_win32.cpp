#include "platform/win32/contrast_win32.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kronvik {

namespace {

bool Forced() {
    static const bool forced = [] {
        const char* value = std::getenv("KRONVIK_HIGH_CONTRAST");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return forced;
}

// A lit segment is bright green; an unlit one is dark green on black.
bool Lit(RGBQUAD pixel) { return pixel.rgbGreen >= 0x80; }

RGBQUAD Quad(COLORREF colour) {
    return {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
}

}  // namespace

bool HighContrast() {
    if (Forced()) return true;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

Bitmap InTextColours(HBITMAP picture) {
    BITMAP info{};
    if (picture == nullptr || GetObjectW(picture, sizeof(info), &info) == 0) return Bitmap();
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(info.bmHeight));
    const ScreenDc screen(GetDC(nullptr));
    if (!GetDIBits(screen.get(), picture, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format, DIB_RGB_COLORS))
        return Bitmap();
    const RGBQUAD text = Quad(GetSysColor(COLOR_WINDOWTEXT));
    const RGBQUAD back = Quad(GetSysColor(COLOR_WINDOW));
    for (RGBQUAD& pixel : pixels) pixel = Lit(pixel) ? text : back;
    Bitmap coloured(CreateCompatibleBitmap(screen.get(), info.bmWidth, info.bmHeight));
    if (coloured)
        SetDIBits(screen.get(), coloured.get(), 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format,
                  DIB_RGB_COLORS);
    return coloured;
}

}  // namespace kronvik
