#include "clipboard.h"

#include <cstring>

#include "handles.h"
#include "win32_error.h"

namespace {

// Open for one operation only: a clipboard left open would lock every other program out.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) {
        if (!OpenClipboard(owner)) {
            ThrowLastErrorOr(ERROR_ACCESS_DENIED);
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() { CloseClipboard(); }

    void Empty() {
        if (!EmptyClipboard()) {
            ThrowLastErrorOr(ERROR_ACCESS_DENIED);
        }
    }
};

UniqueGlobal CopyToGlobal(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) {
        ThrowLastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    }
    void* target = GlobalLock(memory.get());
    if (!target) {
        ThrowLastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());
    return memory;
}

}  // namespace

void ClearClipboard(HWND owner) {
    OpenedClipboard(owner).Empty();
}

void PutClipboardText(HWND owner, const std::wstring& text) {
    UniqueGlobal memory = CopyToGlobal(text);
    OpenedClipboard clipboard(owner);
    // Emptied again so that this text is the clipboard's only content and we own it.
    clipboard.Empty();
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) {
        ThrowLastErrorOr(ERROR_ACCESS_DENIED);
    }
    memory.release();  // the system owns it now
}
