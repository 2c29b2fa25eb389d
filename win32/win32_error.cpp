#include "win32_error.h"

#include <string>

namespace {

// By hand rather than std::to_wstring, which would link a whole printf engine into
// the program for this one fallback.
std::wstring Decimal(DWORD value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

}  // namespace

AppError Win32Error(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"Error " + Decimal(code);
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
