#include "system_library.h"

#include <cwchar>

#include "win32_error.h"

UniqueModule TryLoadSystemLibrary(const wchar_t* fileName) noexcept {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t nameLength = std::wcslen(fileName);
    if (length == 0) {
        return UniqueModule();
    }
    if (length + 1 + nameLength >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return UniqueModule();
    }
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, fileName, nameLength + 1);
    // The altered search path makes the DLL's own dependencies resolve from the
    // system directory as well.
    return UniqueModule(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    UniqueModule library = TryLoadSystemLibrary(fileName);
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
