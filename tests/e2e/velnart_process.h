// One velnart.exe started by the driver, seen and steered only from outside.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct MessageBoxInfo {
    HWND hwnd;
    std::wstring caption;
    std::wstring text;
    bool hasIcon;
    int buttons;
    HWND owner;
};

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

class VelnartProcess {
  public:
    // netbiosScript scripts the fake service; the environment passes it down.
    VelnartProcess(const std::wstring& exePath, const std::wstring& netbiosScript,
                   const std::wstring& logPath = L"", const std::wstring& directory = L"");
    VelnartProcess(const VelnartProcess&) = delete;
    VelnartProcess& operator=(const VelnartProcess&) = delete;
    ~VelnartProcess();

    HWND form() const { return form_; }
    HWND control(int id) const { return GetDlgItem(form_, id); }
    DWORD threadId() const { return info_.dwThreadId; }
    HANDLE process() const { return info_.hProcess; }
    bool running() const;
    bool WaitForExit(DWORD timeoutMs = 5000) const;

    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    void Click(int id) const;
    HWND Focus() const;
    std::vector<MessageBoxInfo> MessageBoxes() const;
    // Has a thread of velnart's own load a DLL by bare name, as system DLLs load theirs on its
    // behalf, and says whether the DLL is loaded then; nothing if it could not be asked.
    std::optional<bool> LoadsLibrary(const std::wstring& name) const;
    // Every box the program shows from now until none follows, each closed with OK.
    std::vector<MessageBoxInfo> TakeMessageBoxes() const;

  private:
    PROCESS_INFORMATION info_{};
    HWND form_ = nullptr;
};
