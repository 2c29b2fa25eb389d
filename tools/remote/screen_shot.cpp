#include "screen_shot.h"

#include <windows.h>

#include "handles.h"

namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

bool SaveScreenShot(const char* path) {
    // The desktop window spans the screen of this thread's desktop, which for a Wine
    // desktop is its own size rather than the X screen's.
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    const LONG width = screen.right - screen.left;
    const LONG height = screen.bottom - screen.top;
    if (width <= 0 || height <= 0) {
        return false;
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as .bmp files store their rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);

    const UniqueScreenDc screenDc(GetDC(nullptr));
    if (!screenDc) {
        return false;
    }
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(screenDc.get(),
                                               reinterpret_cast<const BITMAPINFO*>(&header),
                                               DIB_RGB_COLORS, &bits, nullptr, 0));
    // Declared after the bitmap so that it goes first, and the bitmap is no longer
    // selected into it when deleted.
    const UniqueMemoryDc memoryDc(CreateCompatibleDC(screenDc.get()));
    if (!bitmap || !memoryDc || !SelectObject(memoryDc.get(), bitmap.get()) ||
        !BitBlt(memoryDc.get(), 0, 0, width, height, screenDc.get(), screen.left, screen.top,
                SRCCOPY)) {
        return false;
    }
    GdiFlush();

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    const HANDLE opened =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    const UniqueKernelHandle file(opened);
    return WriteAll(file.get(), &fileHeader, sizeof fileHeader) &&
           WriteAll(file.get(), &header, sizeof header) &&
           WriteAll(file.get(), bits, header.biSizeImage);
}
