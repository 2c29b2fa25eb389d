#include "main_window.h"

#include <algorithm>
#include <utility>

#include "app_title.h"
#include "control_ids.h"
#include "dpi_functions.h"
#include "form_layout.h"
#include "named_accessible.h"
#include "win32_error.h"
#include "window_fonts.h"

namespace {

constexpr wchar_t kClassName[] = L"velnart.Form1";
constexpr int kIconResource = 1;

// What a screen reader says Text1 is: it has no label to take a name from.
constexpr wchar_t kText1AccessibleName[] = L"MAC addresses";

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// The window's outer size for a client area of the table's size at this density.
SIZE FrameSize(int dpi) {
    RECT frame{0, 0, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
    AdjustFrameForDpi(frame, kWindowStyle, kWindowExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Centred on the screen; a window larger than the work area keeps its top-left corner,
// and so its caption and close button, inside it.
RECT PlacedFrame(int dpi) {
    const SIZE size = FrameSize(dpi);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG left = std::max(
        std::min((GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, work.right - size.cx), work.left);
    const LONG top = std::max(
        std::min((GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, work.bottom - size.cy), work.top);
    return {left, top, left + size.cx, top + size.cy};
}

UniqueIcon LoadAppIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource),
                                                    IMAGE_ICON, GetSystemMetrics(widthMetric),
                                                    GetSystemMetrics(heightMetric), 0)));
}

// Text1 as the edit control makes it, but for the name of its accessible object. The edit
// control's own procedure is kept in Text1's user data, which nothing else uses.
LRESULT CALLBACK Text1Proc(HWND text1, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // The object asked for is a 32-bit number, however wide lParam is.
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (const LRESULT named = NamedAccessibleObject(text1, wParam, kText1AccessibleName)) {
            return named;
        }
    }
    const auto edit = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(text1, GWLP_USERDATA));
    return CallWindowProcW(edit, text1, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    // A private dialog class: the dialog manager's own Tab, Enter, Esc, access-key
    // and default-button handling then applies to a window of our own.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        ThrowLastError();
    }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, NetbiosOpener openNetbios)
    : dpi_(SystemDpi()), openNetbios_(std::move(openNetbios)) {
    RegisterWindowClass(instance, WindowProc);
    fonts_ = WindowFonts::Make(dpi_);
    if (!fonts_) {
        ThrowLastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    }
    bigIcon_ = LoadAppIcon(instance, SM_CXICON, SM_CYICON);
    smallIcon_ = LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON);

    const RECT frame = PlacedFrame(dpi_);
    if (!CreateWindowExW(kWindowExStyle, kClassName, kAppTitle, kWindowStyle, frame.left, frame.top,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         instance, this)) {
        ThrowLastError();
    }
    try {
        CreateControls(instance);
    } catch (...) {
        // The window must not outlive this half-built object, which it points to.
        DestroyWindow(hwnd_);
        throw;
    }
    services_.emplace(hwnd_, text1_);
    form_.emplace(*services_, openNetbios_);

    // Where each monitor has its own density, the one the window opened on may not be
    // the system's. Placed again either way: creation held the window to the screen's
    // size, before it could say that it may be larger.
    const int windowDpi = WindowDpi(hwnd_);
    const RECT placed = PlacedFrame(windowDpi);
    RECT created{};
    GetWindowRect(hwnd_, &created);
    if (windowDpi != dpi_) {
        ApplyDpi(windowDpi, placed);
    } else if (!EqualRect(&created, &placed)) {
        // Only then: under Wine a move costs a few milliseconds of start-up.
        MoveFrame(placed);
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    SendMessageW(hwnd_, DM_SETDEFID, kCommand1Id, 0);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, kCommand1Id));
}

MainWindow::~MainWindow() {
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void MainWindow::CreateControls(HINSTANCE instance) {
    for (const ControlLayout& control : kControls) {
        HWND child = CreateWindowExW(
            control.exStyle, control.className, control.caption, control.style,
            TwipsToPixels(control.left, dpi_), TwipsToPixels(control.top, dpi_),
            TwipsToPixels(control.width, dpi_), TwipsToPixels(control.height, dpi_), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        if (!child) {
            ThrowLastError();
        }
    }
    text1_ = GetDlgItem(hwnd_, kText1Id);
    SetWindowLongPtrW(text1_, GWLP_USERDATA, GetWindowLongPtrW(text1_, GWLP_WNDPROC));
    SetWindowLongPtrW(text1_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Text1Proc));
    SetFonts();
}

void MainWindow::SetFonts() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.form.get()), FALSE);
    for (const ControlLayout& control : kControls) {
        const HFONT font = control.id == kText1Id ? fonts_.text1.get() : fonts_.button.get();
        SendMessageW(GetDlgItem(hwnd_, control.id), WM_SETFONT, reinterpret_cast<WPARAM>(font),
                     TRUE);
    }
}

void MainWindow::MoveFrame(const RECT& frame) {
    SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Everything the density decides, from the same tables as at the start. The old fonts
// stay in use if new ones cannot be made; replaced, they live to the end of this
// function, until no control holds them.
void MainWindow::ApplyDpi(int dpi, const RECT& frame) noexcept {
    WindowFonts fonts = WindowFonts::Make(dpi);
    if (fonts) {
        std::swap(fonts_, fonts);
    }
    dpi_ = dpi;
    MoveFrame(frame);
    for (const ControlLayout& control : kControls) {
        SetWindowPos(GetDlgItem(hwnd_, control.id), nullptr, TwipsToPixels(control.left, dpi),
                     TwipsToPixels(control.top, dpi), TwipsToPixels(control.width, dpi),
                     TwipsToPixels(control.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFonts();
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->HandleMessage(message, wParam, lParam)
                : DefDlgProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                OnCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:  // a read-only edit asks with this one
            if (reinterpret_cast<HWND>(lParam) == text1_) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0xFF, 0x00, 0x00));
                SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
                return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
            }
            break;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(fonts_.form.get());
        case WM_GETMINMAXINFO: {
            // A window larger than a small screen keeps all of its controls.
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            const SIZE size = FrameSize(dpi_);
            limits.ptMaxTrackSize.x = std::max(limits.ptMaxTrackSize.x, size.cx);
            limits.ptMaxTrackSize.y = std::max(limits.ptMaxTrackSize.y, size.cy);
            return 0;
        }
        case WM_GETDPISCALEDSIZE:
            // Asked before WM_DPICHANGED by Windows 10 1703 and later. Unanswered, Windows
            // scales the whole frame, caption and borders too, and the client area misses
            // the twips layout by a few pixels, more with every move.
            *reinterpret_cast<SIZE*>(lParam) = FrameSize(static_cast<int>(wParam));
            return TRUE;
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            const LRESULT result = DefDlgProcW(hwnd_, message, wParam, lParam);
            hwnd_ = nullptr;
            PostQuitMessage(0);
            return result;
        }
    }
    return DefDlgProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id) noexcept {
    static constexpr std::pair<int, void (Form1::*)()> kClickHandlers[] = {
        {kCommand1Id, &Form1::Command1_Click}, {kCommand2Id, &Form1::Command2_Click},
        {kCommand3Id, &Form1::Command3_Click}, {kCommand4Id, &Form1::Command4_Click},
        {kCommand5Id, &Form1::Command5_Click},
    };
    for (const auto& [controlId, click] : kClickHandlers) {
        if (controlId == id && form_) {
            ((*form_).*click)();
        }
    }
}
