// What the disk overview's drawn panels (pie charts, caption and legend
// strips, info boxes) share: their process-wide window classes and the
// parameters of their text fonts.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"
#include "geometry/Dpi.h"

namespace diskview {

// Registers, unless it exists, a process-wide class (CS_GLOBALCLASS) of
// `name` with the default window procedure, the I-beam cursor and
// `background`, for the program's module. Our objects reach such windows
// through the framework's creation hook. `extraStyle` adds class styles
// (CS_DBLCLKS for a panel that takes double clicks). False when there is no
// such class.
bool RegisterPanelClass(const wchar_t* name, HBRUSH background, UINT extraStyle = 0);

// A font of `face` and cell height `height` (96-DPI pixels) at `dpi`: normal
// weight, the default character set, character output and clipping
// precision.
bool CreatePanelFont(CFont& font, const wchar_t* face, int height, UINT dpi = geom::kBaseDpi);

}  // namespace diskview
