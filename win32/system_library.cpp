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

void SearchOnlySystemDirectoryForDlls() {
    // Windows 8 and later, and Vista and 7 with update KB2533623: DLLs loaded by bare name,
    // also those that system DLLs load later (comctl32's, theme and version libraries among
    // them, unless the system lists them as known DLLs), come from the system directory
    // alone. Looked up, since XP and Vista and 7 without that update lack it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // XP SP1 and later: the current directory leaves the search; the program's own
        // folder stays first in it.
        SetDllDirectoryW(L"");
    }
}
