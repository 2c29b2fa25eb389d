#pragma once

#include <windows.h>

#include <string>

// Empties the clipboard and puts the text on it as CF_UNICODETEXT only (the system
// derives the 8-bit forms on request), all in one opening of it. A clipboard that
// another program holds open is waited for briefly; if it stays held, this throws
// and the clipboard keeps what it held.
void ReplaceClipboardText(HWND owner, const std::wstring& text);
