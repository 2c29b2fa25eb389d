#pragma once

#include "handles.h"

// Loads a DLL by full path from the system directory, so that a copy planted beside
// the program or in the current directory is never picked up. Throws AppError.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);
