#pragma once
// GDI fonts and bitmaps owned by handles that delete them, and the font
// every form builds from.
#include <windows.h>

#include <array>

#include "platform/win32/handle_win32.h"

namespace kronvik {

using Font = Owned<HFONT, DeleteObject>;
using Bitmap = Owned<HBITMAP, DeleteObject>;

// The ten digit pictures, DigitImage[d] showing digit d.
using DigitImages = std::array<Bitmap, 10>;

// A font height pixels high (a character height, not a cell height).
inline Font MakeFont(int height, int weight, const wchar_t* face, BYTE charset) {
    return Font(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
}

}  // namespace kronvik
