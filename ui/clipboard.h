#pragma once

#include <windows.h>

#include <string>

void ClearClipboard(HWND owner);
// Puts the text as CF_UNICODETEXT only; the system derives the 8-bit forms on request.
void PutClipboardText(HWND owner, const std::wstring& text);
