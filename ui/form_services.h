// What Form1 needs of the platform's user-interface services, one operation each,
// so that its commands run unchanged against the window and against a test fake.
// Every operation either does what it says or throws AppError.
#pragma once

#include <string>

class FormServices {
  public:
    virtual ~FormServices() = default;

    virtual std::wstring Text1Text() = 0;
    virtual void SetText1Text(const std::wstring& text) = 0;
    virtual std::wstring Text1SelectedText() = 0;

    // Modal, OK only, no icon, captioned with the application title.
    virtual void ShowMessage(const wchar_t* text) = 0;
    virtual void Unload() = 0;

    // Empties the clipboard and puts the text on it as its only content, in one opening
    // of it. If the clipboard cannot be opened it keeps what it held.
    virtual void ReplaceClipboardText(const std::wstring& text) = 0;

    // Starts a program without waiting for it; windowStyle as the platform's show command.
    virtual void StartProgram(const std::wstring& name, int windowStyle) = 0;
};
