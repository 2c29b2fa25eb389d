#pragma once

#include "handles.h"

// Loads a DLL by full path from the system directory, so that a copy planted beside
// the program or in the current directory is never picked up. Throws AppError.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);
// The same for what may fail without a word to the user: empty if the DLL cannot be loaded,
// and GetLastError says why.
UniqueModule TryLoadSystemLibrary(const wchar_t* fileName) noexcept;

// Takes the program's own folder and the current directory out of the places where DLLs
// loaded by bare name are looked for, so that a DLL planted beside a downloaded velnart.exe
// never runs inside it: only the system directory is searched where Windows can be told so,
// else at least the current directory is left out. Called first thing in the entry point.
void SearchOnlySystemDirectoryForDlls();
