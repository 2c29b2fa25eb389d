// Stands in for the clipboard viewer: leaves one line per start in the marker file
// named by VELNART_VIEWER_MARKER, saying how it was asked to show its window.
#include <windows.h>

#include <cstdio>

#include "append_to_file.h"

int wmain() {
    wchar_t marker[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VELNART_VIEWER_MARKER", marker, MAX_PATH)) {
        return 1;
    }
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    char line[32];
    std::snprintf(line, sizeof line, "show=%d\n", show);
    // Viewers started together write together.
    AppendToFile(marker, line);
    return 0;
}
