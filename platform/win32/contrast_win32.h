#pragma once
// High contrast: the digit pictures and the coloured texts give way to the
// system's own colours while the user has it on.
#include <windows.h>

#include "platform/win32/gdi_win32.h"

namespace kronvik {

// Whether the system shows high contrast colours. The environment variable
// KRONVIK_HIGH_CONTRAST=1 makes the answer yes whatever the system says, so
// that the look can be seen where the system never says yes (Wine).
bool HighContrast();

// A copy of a digit picture in the system's colours: the lit segments in the
// window text colour, everything else (the unlit segments too) in the window
// colour.
Bitmap InTextColours(HBITMAP picture);

}  // namespace kronvik
