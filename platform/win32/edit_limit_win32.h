#pragma once
// An edit control whose text is limited in code page 932 bytes, whether the
// text is typed, composed by the input method or pasted: what does not fit is
// left out at a character boundary, with a beep.
#include <windows.h>

#include <cstddef>

namespace kronvik {

void LimitEditBytes(HWND edit, std::size_t max_bytes);

}  // namespace kronvik
