// Presses velnart's buttons from another process, so that the demo can show the program
// at work without anyone at the keyboard.
//   velnart_remote click [DESKTOP]  "&get mac adrs", then prints Text1's addresses, one a
//                                   line, or "error: " and the text of the box that came up
//   velnart_remote end [DESKTOP]    closes such a box, then "&end", and waits for the window
//                                   to go
//   velnart_remote shot FILE [DESKTOP]  saves the screen as a .bmp (see screen_shot.h)
// DESKTOP names the Wine desktop velnart runs on; a window search sees only its own desktop.
// Exit status: 0 done, 1 velnart showed an error, 2 velnart did not respond as expected,
// 3 no velnart window was there.
#include <windows.h>

#include <cstring>
#include <string>

#include "app_title.h"
#include "control_ids.h"
#include "foreign_window_text.h"
#include "screen_shot.h"

namespace {

constexpr wchar_t kFormClass[] = L"velnart.Form1";
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr DWORD kPatienceMs = 10000;
constexpr DWORD kPollMs = 100;

void Print(DWORD stream, const std::wstring& line) {
    std::string bytes(line.size() * 3 + 1, '\0');
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(length));
    bytes += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

// Asks until `found` returns something or the patience runs out.
template <typename Find>
auto WaitFor(Find found) -> decltype(found()) {
    const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
    for (;;) {
        if (auto result = found()) {
            return result;
        }
        if (GetTickCount64() >= deadline) {
            return {};
        }
        Sleep(kPollMs);
    }
}

// velnart shows the form only once its controls exist and can take a click.
HWND FindForm() {
    const HWND form = FindWindowW(kFormClass, kAppTitle);
    return form && IsWindowVisible(form) ? form : nullptr;
}

// A message box velnart opened: same caption, and the same process as the form.
HWND FindMessageBox(HWND form) {
    DWORD formProcess = 0;
    GetWindowThreadProcessId(form, &formProcess);
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", kAppTitle));) {
        DWORD boxProcess = 0;
        GetWindowThreadProcessId(box, &boxProcess);
        if (boxProcess == formProcess) {
            return box;
        }
    }
    return nullptr;
}

void PrintLines(const std::wstring& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        if (end > start) {
            Print(STD_OUTPUT_HANDLE, text.substr(start, end - start));
        }
        start = end + 2;
    }
}

int Click(HWND form) {
    const HWND text1 = GetDlgItem(form, kText1Id);
    // Emptied first, so that an earlier click's list is never taken for this one's.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG,
                        kPatienceMs, &ignored);
    PostMessageW(GetDlgItem(form, kCommand1Id), BM_CLICK, 0, 0);
    struct Outcome {
        HWND box;
        std::wstring text;
        explicit operator bool() const { return box || !text.empty(); }
    };
    const Outcome outcome = WaitFor([&] {
        const HWND box = FindMessageBox(form);
        return Outcome{box, box ? std::wstring() : ForeignWindowText(text1)};
    });
    if (outcome.box) {
        Print(STD_OUTPUT_HANDLE,
              L"error: " + ForeignWindowText(GetDlgItem(outcome.box, kMessageBoxTextId)));
        return 1;
    }
    if (outcome.text.empty()) {
        Print(STD_ERROR_HANDLE,
              L"velnart_remote: velnart showed neither addresses nor a message within 10 s");
        return 2;
    }
    PrintLines(outcome.text);
    return 0;
}

int End(HWND form) {
    // The form is disabled while its box is up, so the box goes first.
    const bool boxesGone = WaitFor([&] {
        const HWND box = FindMessageBox(form);
        if (box) {
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        }
        return !box;
    });
    if (boxesGone) {
        PostMessageW(GetDlgItem(form, kCommand3Id), BM_CLICK, 0, 0);
        if (WaitFor([&] { return !IsWindow(form); })) {
            return 0;
        }
    }
    Print(STD_ERROR_HANDLE, L"velnart_remote: velnart did not end within 10 s");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool click = argc >= 2 && std::strcmp(argv[1], "click") == 0;
    const bool end = argc >= 2 && std::strcmp(argv[1], "end") == 0;
    const bool shot = argc >= 3 && std::strcmp(argv[1], "shot") == 0;
    const int desktopArg = shot ? 3 : 2;
    if ((!click && !end && !shot) || argc > desktopArg + 1) {
        Print(STD_ERROR_HANDLE,
              L"usage: velnart_remote click|end [DESKTOP], or shot FILE [DESKTOP]");
        return 2;
    }
    if (argc == desktopArg + 1) {
        // Only a thread without windows may change desktops, so this comes first.
        // Wine makes the desktop as velnart starts, which may be after we do.
        const HDESK desktop =
            WaitFor([&] { return OpenDesktopA(argv[desktopArg], 0, FALSE, GENERIC_ALL); });
        if (!desktop || !SetThreadDesktop(desktop)) {
            Print(STD_ERROR_HANDLE, L"velnart_remote: cannot use that desktop");
            return 2;
        }
    }
    if (shot) {
        if (SaveScreenShot(argv[2])) {
            return 0;
        }
        Print(STD_ERROR_HANDLE, L"velnart_remote: cannot save the screen");
        return 2;
    }
    const HWND form = WaitFor(FindForm);
    if (!form) {
        Print(STD_ERROR_HANDLE, L"velnart_remote: no velnart window appeared within 10 s");
        return 3;
    }
    return click ? Click(form) : End(form);
}
