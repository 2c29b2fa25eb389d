// The fonts of velnart's window, shared with the tests that compare what it draws.
#pragma once

#include <utility>

#include "point_size_font.h"

// "Microsoft Sans Serif" is the outline face Windows itself puts in for the raster one.
inline constexpr FontDefinition kFormFont{L"MS Sans Serif", L"Microsoft Sans Serif", 975, FW_BOLD};
inline constexpr FontDefinition kButtonFont{L"MS Sans Serif", L"Microsoft Sans Serif", 825,
                                            FW_NORMAL};
inline constexpr FontDefinition kText1Font{L"Courier New", L"Courier New", 1200, FW_BOLD};

// The three fonts made for one density; all or none, so that a window never mixes two.
struct WindowFonts {
    UniqueFont form, button, text1;

    static WindowFonts Make(int dpi) {
        WindowFonts fonts{CreatePointSizeFont(kFormFont, dpi),
                          CreatePointSizeFont(kButtonFont, dpi),
                          CreatePointSizeFont(kText1Font, dpi)};
        return fonts.form && fonts.button && fonts.text1 ? std::move(fonts) : WindowFonts{};
    }
    explicit operator bool() const { return static_cast<bool>(form); }
};
