// Fonts that keep their point size at any screen density: a raster face that has no
// bitmap of the size asked for gives way to the scalable face that stands for it.
#pragma once

#include <windows.h>

#include "handles.h"

// A font as the window asks for it, and the outline face that stands in for a raster one.
struct FontDefinition {
    const wchar_t* face;
    const wchar_t* scalableFace;
    int hundredthsOfPoint;
    int weight;
};

// The character height in pixels that the point size asks for at this density.
int PointSizePixels(int hundredthsOfPoint, int dpi);
// Whether the font selected into dc has that character height (within a pixel) from a
// bitmap of its own or from outlines, rather than a raster size scaled or a near one.
bool HasPointSize(HDC dc, int hundredthsOfPoint, int dpi);
// Empty if the platform refuses; GetLastError says why.
UniqueFont CreatePointSizeFont(const FontDefinition& wanted, int dpi);
