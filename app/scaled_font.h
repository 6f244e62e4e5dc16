// Fonts sized in tenths of a point for a device context, whatever its mapping mode.
#pragma once

#include <windows.h>

enum FontAttributes : unsigned {
    fontBold = 1,
    fontItalic = 2,
    fontUnderline = 4,
    fontStrikeOut = 8,
};

// Height and width in tenths of a point, 0 for the face's default. The caller deletes the font.
HFONT makeScaledFont(HDC dc, const wchar_t* face, int height, int width, unsigned attributes,
                     bool logicalResolution);
