#include "win32_form_services.h"

#include "app_title.h"
#include "clipboard.h"
#include "program_start.h"
#include "win32_error.h"

std::wstring Win32FormServices::Text1Text() {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(text1_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(text1_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32FormServices::SetText1Text(const std::wstring& text) {
    if (!SetWindowTextW(text1_, text.c_str())) {
        ThrowLastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    }
}

std::wstring Win32FormServices::Text1SelectedText() {
    // The edit keeps its selection while a button has the focus, so this is
    // what the user selected before clicking.
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(text1_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const std::wstring text = Text1Text();
    if (start >= end || start >= text.size()) {
        return {};
    }
    return text.substr(start, end - start);
}

void Win32FormServices::ShowMessage(const wchar_t* text) {
    if (!MessageBoxW(form_, text, kAppTitle, MB_OK)) {
        ThrowLastError();
    }
}

void Win32FormServices::Unload() {
    if (!DestroyWindow(form_)) {
        ThrowLastError();
    }
}

void Win32FormServices::ReplaceClipboardText(const std::wstring& text) {
    ::ReplaceClipboardText(form_, text);
}

void Win32FormServices::StartProgram(const std::wstring& name, int windowStyle) {
    ::StartProgram(name, windowStyle);
}
