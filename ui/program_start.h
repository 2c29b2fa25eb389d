#pragma once

#include <string>

// Starts the named program without waiting for it. It is looked up the way the
// platform looks up a bare program name, except that the current directory is
// never searched: a copy planted there must not run. Throws AppError.
void StartProgram(const std::wstring& name, int showCommand);
