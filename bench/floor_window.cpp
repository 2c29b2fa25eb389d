// The least a Win32 program can do to match velnart, so that what Wine itself costs is
// not charged to velnart. It carries velnart's manifest, registers the common controls
// at start as velnart must for XP, and puts up a window with controls like velnart's six
// (ids, styles and sizes): the floor for start-up. With --click, Text1's font and colours
// too, and "get mac adrs" runs the NetBIOS dialogue through velnart's own netapi32
// binding and writes the answer with one WM_SETTEXT: the floor for a click.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "form_layout.h"
#include "system_dpi.h"
#include "system_netbios.h"

namespace {

constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

void Clear(NCB& ncb) {
    std::memset(&ncb, 0, sizeof ncb);
}

// Enumerate, then reset and query each adapter, as velnart's discovery does, with the
// library loaded for this listing only, as velnart loads it.
void ListAddresses(HWND text1) {
    const SystemNetbios netbios;
    std::uint8_t lanas[kLanaListSize] = {};
    NCB ncb;
    Clear(ncb);
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = lanas;
    ncb.ncb_length = sizeof lanas;
    netbios(ncb);
    // "\r\n" and twelve digits a line, for at most 255 adapters.
    wchar_t text[255 * 14 + 1];
    wchar_t* end = text;
    for (int i = 0; i < lanas[0]; ++i) {
        Clear(ncb);
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas[1 + i];
        netbios(ncb);
        std::uint8_t status[kAdapterStatusSize] = {};
        Clear(ncb);
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas[1 + i];
        ncb.ncb_buffer = status;
        ncb.ncb_length = sizeof status;
        std::memset(ncb.ncb_callname, ' ', sizeof ncb.ncb_callname);
        ncb.ncb_callname[0] = '*';
        if (HasAdapterAddress(netbios(ncb))) {
            *end++ = L'\r';
            *end++ = L'\n';
            for (std::size_t b = 0; b < kAdapterAddressSize; ++b) {
                *end++ = kHexDigits[status[b] >> 4];
                *end++ = kHexDigits[status[b] & 0xF];
            }
        }
    }
    *end = L'\0';
    SetWindowTextW(text1, text);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) {
                try {
                    ListAddresses(GetDlgItem(window, kText1Id));
                } catch (...) {
                    // The benchmark then waits for the expected text in vain and says so.
                }
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0xFF, 0x00, 0x00));
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0xFF, 0xFF, 0xFF));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AddControls(HWND window, HINSTANCE instance) {
    const int dpi = SystemDpi();
    for (const ControlLayout& control : kControls) {
        CreateWindowExW(control.exStyle, control.className, control.caption, control.style,
                        TwipsToPixels(control.left, dpi), TwipsToPixels(control.top, dpi),
                        TwipsToPixels(control.width, dpi), TwipsToPixels(control.height, dpi),
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance,
                        nullptr);
    }
}

void SetText1Font(HWND window) {
    const int dpi = SystemDpi();
    // Deliberately never freed: it lives as long as the program.
    const HFONT font = CreateFontW(-MulDiv(1200, dpi, 7200), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Courier New");
    SendMessageW(GetDlgItem(window, kText1Id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"velnart.floor";
    if (!RegisterClassW(&windowClass)) {
        return 1;
    }
    // velnart's client area, so that as much is painted.
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const int dpi = SystemDpi();
    RECT frame{0, 0, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const HWND window = CreateWindowExW(
        0, windowClass.lpszClassName, L"floor", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    AddControls(window, instance);
    if (wcscmp(commandLine, L"--click") == 0) {
        SetText1Font(window);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
