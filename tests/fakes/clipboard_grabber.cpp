// Holds the clipboard the way clipboard-history tools do, so that copies can be tested
// against them. Runs until it is ended.
//   clipboard_grabber listen HOLD_MS  on every change (AddClipboardFormatListener) opens
//                                     the clipboard, reads its text and holds it HOLD_MS
//   clipboard_grabber poll HOLD_MS    does the same every 10 ms, change or not
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr DWORD kPollPeriodMs = 10;

void ReadHolding(HWND owner, DWORD holdMs) {
    if (!OpenClipboard(owner)) {
        return;
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        GlobalLock(data);
        GlobalUnlock(data);
    }
    Sleep(holdMs);
    CloseClipboard();
}

DWORD listenHoldMs = 0;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    constexpr UINT kClipboardUpdate = 0x031D;  // WM_CLIPBOARDUPDATE
    if (message == kClipboardUpdate) {
        ReadHolding(window, listenHoldMs);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Listen(DWORD holdMs) {
    listenHoldMs = holdMs;
    // Looked up: the listener API is younger than the headers a build may target.
    using AddListener = BOOL(WINAPI*)(HWND);
    const auto addListener = reinterpret_cast<AddListener>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AddClipboardFormatListener")));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ListenerProc;
    windowClass.lpszClassName = L"clipboard_grabber";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"grabber", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!addListener || !window || !addListener(window)) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

int Poll(DWORD holdMs) {
    for (;;) {
        ReadHolding(nullptr, holdMs);
        Sleep(kPollPeriodMs);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 2;
    }
    const DWORD holdMs = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    if (std::wcscmp(argv[1], L"listen") == 0) {
        return Listen(holdMs);
    }
    return std::wcscmp(argv[1], L"poll") == 0 ? Poll(holdMs) : 2;
}
