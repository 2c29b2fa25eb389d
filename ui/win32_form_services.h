// Form1's platform services on Windows, over the main window and its text box.
#pragma once

#include <windows.h>

#include "form_services.h"

class Win32FormServices final : public FormServices {
  public:
    Win32FormServices(HWND form, HWND text1) : form_(form), text1_(text1) {}

    std::wstring Text1Text() override;
    void SetText1Text(const std::wstring& text) override;
    std::wstring Text1SelectedText() override;
    void ShowMessage(const wchar_t* text) override;
    void Unload() override;
    void ReplaceClipboardText(const std::wstring& text) override;
    void StartProgram(const std::wstring& name, int windowStyle) override;

  private:
    HWND form_;
    HWND text1_;
};
