// The handle kinds velnart owns, each with the call that releases it.
#pragma once

#include <windows.h>

#include "unique_handle.h"

using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalFree>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
