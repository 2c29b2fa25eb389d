#include <windows.h>

#include <commctrl.h>

#include "app_title.h"
#include "main_window.h"
#include "system_library.h"
#include "system_netbios.h"
#include "win32_error.h"

namespace {

// GetMessageW fails (-1) when it cannot hand over one message; Wine does so for a text
// of about 1 MB that another program sends. That message is lost, not the program, so
// the loop goes on; only a failure that keeps coming back means the loop cannot run.
constexpr int kFailuresInARow = 100;

// Runs until the window has gone and returns the exit code it asked for.
int RunMessageLoop(const MainWindow& window) {
    MSG message;
    int failures = 0;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            if (++failures < kFailuresInARow) {
                continue;
            }
            ThrowLastErrorOr(ERROR_INVALID_MESSAGE);
        }
        failures = 0;
        if (!IsDialogMessageW(window.hwnd(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything is loaded on velnart's behalf. What the loader mapped before this line,
    // velnart's own imports, came from the system's known DLLs and, for the common controls,
    // from the side-by-side store that the manifest names.
    SearchOnlySystemDirectoryForDlls();
    // The manifest asks for version 6 of the common controls. Vista and later load it
    // when the first control is made; XP does not, and there every button, edit and
    // message box, the one that would report it too, fails with error 1407. Importing
    // this function also loads comctl32.dll before the program's first line.
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    try {
        const MainWindow window(instance, OpenSystemNetbios);
        return RunMessageLoop(window);
    } catch (const AppError& error) {
        // Only a window that could not be made, or a message loop that can no longer
        // run, gets here; the clicks report their own errors. The window is gone by now
        // and has asked to quit, which would close this box at once.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        MessageBoxW(nullptr, error.message().c_str(), kAppTitle, MB_OK);
        return 1;
    }
}
