#include "velnart_process.h"

#include <tlhelp32.h>

#include "foreign_window_text.h"
#include "handles.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

namespace {

std::wstring ClassName(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* className) {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> found;
    for (HWND hwnd : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId && ClassName(hwnd) == className && IsWindowVisible(hwnd)) {
            found.push_back(hwnd);
        }
    }
    return found;
}

// A visible icon control that holds an icon. Windows numbers it 0x14, Wine 0x440, and Wine
// keeps one, hidden and empty, in a box without an icon.
bool IsShownIcon(HWND child) {
    DWORD_PTR icon = 0;
    return ClassName(child) == L"Static" && IsWindowVisible(child) &&
           (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
           SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) &&
           icon != 0;
}

bool HasModule(DWORD processId, const std::wstring& name) {
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot.get(), &module); more;
         more = Module32NextW(snapshot.get(), &module)) {
        if (lstrcmpiW(module.szModule, name.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

VelnartProcess::VelnartProcess(const std::wstring& exePath, const std::wstring& netbiosScript,
                               const std::wstring& logPath, const std::wstring& directory) {
    SetEnvironmentVariableW(L"VELNART_FAKE_NETBIOS", netbiosScript.c_str());
    SetEnvironmentVariableW(L"VELNART_FAKE_NETBIOS_LOG",
                            logPath.empty() ? nullptr : logPath.c_str());
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info_)) {
        std::printf("cannot start velnart: error %lu\n", GetLastError());
        return;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    WaitUntil(
        [&] {
            const std::vector<HWND> forms = VisibleWindowsOf(info_.dwProcessId, L"velnart.Form1");
            form_ = forms.empty() ? nullptr : forms.front();
            return form_ != nullptr;
        },
        10000);
}

VelnartProcess::~VelnartProcess() {
    if (info_.hProcess) {
        if (running()) {
            for (const MessageBoxInfo& box : MessageBoxes()) {
                PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
            }
            PostMessageW(form_, WM_CLOSE, 0, 0);
            if (!WaitForExit(3000)) {
                TerminateProcess(info_.hProcess, 1);
                WaitForSingleObject(info_.hProcess, 3000);
            }
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
}

bool VelnartProcess::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool VelnartProcess::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::wstring VelnartProcess::Text(int id) const {
    return ForeignWindowText(control(id));
}

void VelnartProcess::SetText(int id, const std::wstring& text) const {
    SendMessageTimeoutW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
}

// Posted, not sent: a handler that shows a message box would otherwise block the driver.
void VelnartProcess::Click(int id) const {
    PostMessageW(control(id), BM_CLICK, 0, 0);
}

HWND VelnartProcess::Focus() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(info_.dwThreadId, &gui) ? gui.hwndFocus : nullptr;
}

std::vector<MessageBoxInfo> VelnartProcess::MessageBoxes() const {
    std::vector<MessageBoxInfo> boxes;
    for (HWND hwnd : VisibleWindowsOf(info_.dwProcessId, L"#32770")) {
        MessageBoxInfo box{
            hwnd, ForeignWindowText(hwnd),  ForeignWindowText(GetDlgItem(hwnd, 0xFFFF)), false,
            0,    GetWindow(hwnd, GW_OWNER)};
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            box.buttons += ClassName(child) == L"Button" && IsWindowVisible(child) ? 1 : 0;
            box.hasIcon = box.hasIcon || IsShownIcon(child);
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::vector<MessageBoxInfo> VelnartProcess::TakeMessageBoxes() const {
    std::vector<MessageBoxInfo> taken;
    // Boxes are modal, so a second one could only show after the first is closed:
    // keep closing until none follows within a short wait.
    while (taken.size() < 5) {
        std::vector<MessageBoxInfo> boxes;
        if (!WaitUntil([&] { return !(boxes = MessageBoxes()).empty(); },
                       taken.empty() ? 5000 : 300)) {
            break;
        }
        for (const MessageBoxInfo& box : boxes) {
            taken.push_back(box);
            PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
        }
        WaitUntil([&] { return MessageBoxes().empty(); });
    }
    return taken;
}

std::optional<bool> VelnartProcess::LoadsLibrary(const std::wstring& name) const {
    const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(info_.hProcess, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) {
        return std::nullopt;
    }
    std::optional<bool> loaded;
    // kernel32 stands at the same address in every process of the session.
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    if (WriteProcessMemory(info_.hProcess, remote, name.c_str(), bytes, nullptr)) {
        const UniqueKernelHandle thread(
            CreateRemoteThread(info_.hProcess, nullptr, 0, loadLibrary, remote, 0, nullptr));
        // The thread's exit code holds only half of a 64-bit module handle; the list of
        // modules tells either way.
        if (thread && WaitForSingleObject(thread.get(), 5000) == WAIT_OBJECT_0) {
            loaded = HasModule(info_.dwProcessId, name);
        }
    }
    VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
    return loaded;
}
