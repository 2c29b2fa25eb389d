// The program's one window: its controls and layout, and the dispatch of clicks to Form1.
#pragma once

#include <windows.h>

#include <optional>

#include "form1.h"
#include "handles.h"
#include "netbios_operation.h"
#include "win32_form_services.h"
#include "window_fonts.h"

class MainWindow {
  public:
    // Creates and shows the window; throws AppError if the platform refuses.
    MainWindow(HINSTANCE instance, NetbiosOpener openNetbios);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    HWND hwnd() const { return hwnd_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void CreateControls(HINSTANCE instance);
    void SetFonts();
    void MoveFrame(const RECT& frame);
    void ApplyDpi(int dpi, const RECT& frame) noexcept;
    void OnCommand(int id) noexcept;

    HWND hwnd_ = nullptr;
    HWND text1_ = nullptr;
    int dpi_ = 96;
    WindowFonts fonts_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    NetbiosOpener openNetbios_;
    std::optional<Win32FormServices> services_;
    std::optional<Form1> form_;
};
