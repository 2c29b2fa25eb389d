#include "point_size_font.h"

#include <cstdlib>

namespace {

HFONT CreateFaceFont(const wchar_t* face, int height, int weight, BYTE charset, DWORD precision) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, precision,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

struct RasterSearch {
    LONG cellHeight;
    bool found;
};

int CALLBACK FindRasterSize(const LOGFONTW*, const TEXTMETRICW* metrics, DWORD type,
                            LPARAM search) {
    auto& wanted = *reinterpret_cast<RasterSearch*>(search);
    wanted.found =
        wanted.found || (type == RASTER_FONTTYPE && metrics->tmHeight == wanted.cellHeight);
    return wanted.found ? 0 : 1;
}

}  // namespace

int PointSizePixels(int hundredthsOfPoint, int dpi) {
    return MulDiv(hundredthsOfPoint, dpi, 7200);
}

bool HasPointSize(HDC dc, int hundredthsOfPoint, int dpi) {
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics)) {
        return false;
    }
    const int characterHeight = metrics.tmHeight - metrics.tmInternalLeading;
    if (std::abs(characterHeight - PointSizePixels(hundredthsOfPoint, dpi)) > 1) {
        return false;
    }
    if (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) {
        return true;
    }
    // A raster face stretches a smaller bitmap to twice or three times its size, which
    // draws the letters apart; only a bitmap of this very height counts.
    LOGFONTW face{};
    face.lfCharSet = metrics.tmCharSet;
    GetTextFaceW(dc, LF_FACESIZE, face.lfFaceName);
    RasterSearch search{metrics.tmHeight, false};
    EnumFontFamiliesExW(dc, &face, FindRasterSize, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

UniqueFont CreatePointSizeFont(const FontDefinition& wanted, int dpi) {
    const int height = PointSizePixels(wanted.hundredthsOfPoint, dpi);
    UniqueFont font(
        CreateFaceFont(wanted.face, height, wanted.weight, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS));
    const UniqueMemoryDc dc(font ? CreateCompatibleDC(nullptr) : nullptr);
    if (!dc) {
        return font;
    }
    const HGDIOBJ previous = SelectObject(dc.get(), font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    const bool exact = HasPointSize(dc.get(), wanted.hundredthsOfPoint, dpi);
    SelectObject(dc.get(), previous);
    if (!exact) {
        if (UniqueFont scalable{CreateFaceFont(wanted.scalableFace, height, wanted.weight,
                                               metrics.tmCharSet, OUT_TT_PRECIS)}) {
            font = std::move(scalable);
        }
    }
    return font;
}
