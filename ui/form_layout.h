// Form1's layout: the size of its client area and its six controls, in twips (1/1440
// inch), converted with the screen's real DPI where they are made. The benchmark's floor
// program makes the same controls, so that both pay for the same.
#pragma once

#include <windows.h>

#include "control_ids.h"

inline int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

inline constexpr int kClientWidth = 3630;
inline constexpr int kClientHeight = 2625;

struct ControlLayout {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    int left, top, width, height;
    DWORD style;
    DWORD exStyle;
};

inline constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_MULTILINE;

// In tab order. Access keys: Alt+G, Alt+A, Alt+S, Alt+C, Alt+E.
inline constexpr ControlLayout kControls[] = {
    {kCommand1Id, L"BUTTON", L"&get mac adrs", 0, 1680, 1200, 900, kButton | BS_DEFPUSHBUTTON, 0},
    {kCommand2Id, L"BUTTON", L"cpy &all", 1200, 1680, 1200, 300, kButton | BS_PUSHBUTTON, 0},
    {kCommand4Id, L"BUTTON", L"cpy &selected", 1200, 1980, 1200, 300, kButton | BS_PUSHBUTTON, 0},
    {kCommand5Id, L"BUTTON", L"&clipboard", 1200, 2280, 1200, 300, kButton | BS_PUSHBUTTON, 0},
    {kCommand3Id, L"BUTTON", L"&end", 2400, 1680, 1200, 900, kButton | BS_PUSHBUTTON, 0},
    // Read-only: the list is the machine's answer, not a note to edit. Without
    // ES_WANTRETURN, Enter in the box still presses the default button.
    {kText1Id, L"EDIT", L"", 0, 0, 3600, 1635,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE},
};
