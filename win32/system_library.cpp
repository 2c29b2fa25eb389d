#include "system_library.h"

#include <string>

#include "win32_error.h"

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t directory[MAX_PATH];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        ThrowLastError();
    }
    const std::wstring path = std::wstring(directory, length) + L'\\' + fileName;
    // The altered search path makes the DLL's own dependencies resolve from the
    // system directory as well.
    UniqueModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) {
        ThrowLastError();
    }
    return library;
}
