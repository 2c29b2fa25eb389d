// The handle kinds velnart owns, each with the call that releases it.
#pragma once

#include <windows.h>

#include "unique_handle.h"

using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalFree>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDC>;

inline void ReleaseScreenDc(HDC dc) {
    ReleaseDC(nullptr, dc);
}
// GetDC(nullptr): the whole screen's DC, given back rather than deleted.
using UniqueScreenDc = UniqueHandle<HDC, ReleaseScreenDc>;
