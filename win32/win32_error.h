// Platform failures as AppError: the Windows error code and the system's own text for it.
#pragma once

#include <windows.h>

#include "app_error.h"

AppError Win32Error(DWORD code);
[[noreturn]] void ThrowLastError();
