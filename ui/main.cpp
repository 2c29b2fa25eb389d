#include <windows.h>

#include "app_title.h"
#include "main_window.h"
#include "system_netbios.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        MainWindow window(instance, OpenSystemNetbios);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageW(window.hwnd(), &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return 0;
    } catch (const AppError& error) {
        // Only a window that could not be created gets here; the clicks report their own
        // errors. A half-built window may already have asked to quit, which would close
        // this box at once.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        MessageBoxW(nullptr, error.message().c_str(), kAppTitle, MB_OK);
        return 1;
    }
}
