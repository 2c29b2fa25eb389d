#pragma once

// The window's caption and the caption of every message box.
inline constexpr wchar_t kAppTitle[] = L"velnart";
