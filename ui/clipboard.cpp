#include "clipboard.h"

#include <cstring>

#include "handles.h"
#include "win32_error.h"

namespace {

// Clipboard-history tools open the clipboard on every change or poll it, each time
// for a few milliseconds; waiting a little outlasts them without the user noticing.
constexpr DWORD kOpenPatienceMs = 250;
constexpr DWORD kOpenRetryMs = 10;

// Waits, but goes on answering messages that other programs send meanwhile: one of
// them emptying the clipboard sends its owner, perhaps this window, a message and
// waits for the answer, and a plain sleep would hold that program up for as long.
void WaitServingSentMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_SENDMESSAGE) ==
            WAIT_OBJECT_0) {
            // Sent messages are handled inside the call; nothing is taken off the queue.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

// Open for one operation only: a clipboard left open would lock every other program out.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) {
        const DWORD start = GetTickCount();
        while (!OpenClipboard(owner)) {
            if (GetTickCount() - start >= kOpenPatienceMs) {
                ThrowLastErrorOr(ERROR_ACCESS_DENIED);
            }
            WaitServingSentMessages(kOpenRetryMs);
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

void ReplaceClipboardText(HWND owner, const std::wstring& text) {
    // Made before the clipboard is opened, so that a lack of memory leaves it untouched.
    UniqueGlobal memory = CopyToGlobal(text);
    OpenedClipboard clipboard(owner);
    clipboard.Empty();
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) {
        ThrowLastErrorOr(ERROR_ACCESS_DENIED);
    }
    memory.release();  // the system owns it now
}
