// Platform failures as AppError: the Windows error code and the system's own text for it.
#pragma once

#include <windows.h>

#include "app_error.h"

AppError Win32Error(DWORD code);
[[noreturn]] void ThrowLastError();
// For calls that may fail without setting a last error, so that the user never
// reads "The operation completed successfully." as a failure.
[[noreturn]] void ThrowLastErrorOr(DWORD fallback);
