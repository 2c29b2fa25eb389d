// The fakes' records: lines that fakes running at the same moment append to one file.
#pragma once

#include <windows.h>

#include <string_view>

#include "handles.h"

// Appended by the system in one write, at the end of the file as it then is, so that
// writers at the same moment neither overwrite nor split each other's lines.
inline void AppendToFile(const wchar_t* path, std::string_view line) {
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const UniqueKernelHandle owned(file);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
