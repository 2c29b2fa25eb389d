#pragma once

#include <windows.h>

#include <string>

// The text of a window in another process. GetWindowTextW does not read another
// process's edit control; WM_GETTEXT does, with a timeout so that a hung program
// cannot hang the one asking. Empty if it does not answer.
std::wstring ForeignWindowText(HWND window, UINT timeoutMs = 2000);
