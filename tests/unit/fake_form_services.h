// Form1's platform as plain data: the text box, the clipboard and every message
// box, with scripted failures per operation.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app_error.h"
#include "failing_allocator.h"
#include "form_services.h"

struct FakeFormServices final : FormServices {
    std::wstring text;
    std::size_t selectionStart = 0;
    std::size_t selectionLength = 0;
    std::wstring clipboard = L"sentinel";
    std::vector<std::wstring> messages;
    std::vector<std::string> calls;
    std::map<std::string, AppError> failures;  // operation name -> what it throws
    bool unloaded = false;
    std::wstring startedProgram;
    int startedStyle = 0;

    void Call(const std::string& operation) {
        calls.push_back(operation);
        if (const auto failure = failures.find(operation); failure != failures.end()) {
            throw failure->second;
        }
    }

    std::wstring Text1Text() override {
        Call("text");
        return text;
    }
    // Writing the empty text is its own operation: it can succeed where a long one fails.
    void SetText1Text(const std::wstring& newText) override {
        Call(newText.empty() ? "set empty" : "set");
        text = newText;
    }
    std::wstring Text1SelectedText() override {
        Call("selection");
        return text.substr(selectionStart, selectionLength);
    }
    void ShowMessage(const wchar_t* message) override {
        const AllocationsFail platformMemory(false);  // the box's memory is not the program's
        messages.push_back(message);
    }
    void Unload() override {
        Call("unload");
        unloaded = true;
    }
    void ReplaceClipboardText(const std::wstring& newText) override {
        Call("replace");
        clipboard = newText;
    }
    void StartProgram(const std::wstring& name, int windowStyle) override {
        Call("start");
        startedProgram = name;
        startedStyle = windowStyle;
    }
};
