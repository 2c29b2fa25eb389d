// Platform failures as AppError: the Windows error code and the system's own text for it.
#pragma once

#include <windows.h>

#include <string>

#include "app_error.h"

// The system's texts may name what failed with inserts (%1, %2, ...): each is filled
// with `insert`, the name of what the failed call was about, never shown raw.
AppError Win32Error(DWORD code, const std::wstring& insert = {});
[[noreturn]] void ThrowLastError(const std::wstring& insert = {});
// For calls that may fail without setting a last error, so that the user never
// reads "The operation completed successfully." as a failure.
[[noreturn]] void ThrowLastErrorOr(DWORD fallback);
