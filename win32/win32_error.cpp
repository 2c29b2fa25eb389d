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

// FormatMessage would fill the inserts from an argument array, but it reads that array
// as the message's own format asks (%1!d! takes a number), so a system text that asks
// for something else than a string would make it read garbage. Filled here instead.
std::wstring FillInserts(const std::wstring& text, const std::wstring& insert) {
    std::wstring filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
            ++i;
            while (i + 1 < text.size() && text[i + 1] >= L'0' && text[i + 1] <= L'9') {
                ++i;
            }
            if (i + 1 < text.size() && text[i + 1] == L'!') {
                const std::size_t end = text.find(L'!', i + 2);
                i = end == std::wstring::npos ? text.size() - 1 : end;
            }
            filled += insert;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

}  // namespace

AppError Win32Error(DWORD code, const std::wstring& insert) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text =
        length ? FillInserts(std::wstring(buffer, length), insert) : L"Error " + Decimal(code);
    LocalFree(buffer);
    // The system's texts end in a line break, which would only pad the message box.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return AppError(code, std::move(text));
}

void ThrowLastError(const std::wstring& insert) {
    throw Win32Error(GetLastError(), insert);
}

void ThrowLastErrorOr(DWORD fallback) {
    const DWORD code = GetLastError();
    throw Win32Error(code != ERROR_SUCCESS ? code : fallback);
}
