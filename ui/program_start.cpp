#include "program_start.h"

#include <windows.h>

#include <string>

#include "handles.h"
#include "win32_error.h"

namespace {

bool IsAbsolute(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            ThrowLastError();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring FromSystem(UINT(WINAPI* query)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH];
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// Looks in the program's directory, the system directories, then PATH; relative PATH
// entries are left out because they would resolve against the current directory.
std::wstring FindProgram(const std::wstring& name) {
    std::wstring found;
    // Sets found to DIRECTORY\name if that is a file and nothing was found before.
    const auto look = [&](std::wstring directory) {
        if (!found.empty() || !IsAbsolute(directory)) {
            return;
        }
        if (directory.back() != L'\\' && directory.back() != L'/') {
            directory += L'\\';
        }
        directory += name;
        const DWORD attributes = GetFileAttributesW(directory.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            found = std::move(directory);
        }
    };
    look(ProgramDirectory());
    const std::wstring windows = FromSystem(GetWindowsDirectoryW);
    look(FromSystem(GetSystemDirectoryW));
    look(windows + L"\\System");
    look(windows);
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        std::wstring entry = path.substr(start, end - start);
        if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') {
            entry = entry.substr(1, entry.size() - 2);
        }
        look(std::move(entry));
        start = end + 1;
    }
    if (found.empty()) {
        throw Win32Error(ERROR_FILE_NOT_FOUND);
    }
    return found;
}

}  // namespace

void StartProgram(const std::wstring& name, int showCommand) {
    const std::wstring program = FindProgram(name);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        ThrowLastError(program);
    }
    // Nothing tracks the started program.
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
}
