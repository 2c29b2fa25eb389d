#include "win32_error.h"

#include <string>

AppError Win32Error(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"Error " + std::to_wstring(code);
    LocalFree(buffer);
    // The system's texts end in a line break, which would only pad the message box.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return AppError(code, std::move(text));
}

void ThrowLastError() {
    throw Win32Error(GetLastError());
}

void ThrowLastErrorOr(DWORD fallback) {
    const DWORD code = GetLastError();
    throw Win32Error(code != ERROR_SUCCESS ? code : fallback);
}
