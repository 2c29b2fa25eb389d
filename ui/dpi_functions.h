// Per-monitor DPI calls that Windows before 10 lacks, looked up at run time so that
// velnart still starts on Windows XP; each falls back to the system-wide answer.
#pragma once

#include <windows.h>

#include "system_dpi.h"

// The density of the monitor the window is on, where Windows tells it apart.
int WindowDpi(HWND hwnd);
// The frame around a client rectangle, with the caption and borders of that density.
void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
