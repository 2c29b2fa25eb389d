#include "form1.h"

#include <new>
#include <utility>

#include "get_mac_address.h"

namespace {

constexpr unsigned long kNotEnoughMemory = 8;
constexpr unsigned long kInternalError = 1359;

// Whatever was thrown, as the one error type the report understands.
AppError CurrentError() {
    try {
        throw;
    } catch (const AppError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return AppError(kNotEnoughMemory,
                        L"Not enough memory resources are available to process this command.");
    } catch (...) {
        return AppError(kInternalError, L"An internal error occurred.");
    }
}

}  // namespace

Form1::Form1(FormServices& services, NetbiosOperation netbios)
    : services_(services), netbios_(std::move(netbios)) {}

template <typename Steps>
void Form1::RunCommand(Steps steps) noexcept {
    try {
        steps();
    } catch (...) {
        ReportCommandError(CurrentError());
    }
}

void Form1::ReportCommandError(const AppError& error) noexcept {
    try {
        services_.ShowMessage(error.message());
    } catch (...) {
        // The report is the last resort; if even the box cannot be shown, the
        // window simply stays as it is.
    }
}

void Form1::GetMacAddress(AddressList& colMacAddress) {
    ::GetMacAddress(colMacAddress, netbios_);
}

void Form1::Command1_Click() {
    RunCommand([this] {
        AddressList colMacAddress;
        GetMacAddress(colMacAddress);
        // One write of the whole list: every write makes the box lay out and repaint
        // its text again, so clearing it first would only double the cost.
        std::wstring text;
        for (const std::string& address : colMacAddress) {
            text += L"\r\n";
            text.append(address.begin(), address.end());
        }
        try {
            services_.SetText1Text(text);
        } catch (...) {
            // The earlier list is already stale; the user must not take it for this
            // click's answer while reading the error.
            try {
                services_.SetText1Text(L"");
            } catch (...) {
            }
            throw;
        }
    });
}

void Form1::Command2_Click() {
    RunCommand(
        [this] { CopyToClipboard(&FormServices::Text1Text, L"You should get it before..."); });
}

void Form1::Command3_Click() {
    RunCommand([this] { services_.Unload(); });
}

void Form1::Command4_Click() {
    RunCommand([this] {
        CopyToClipboard(&FormServices::Text1SelectedText, L"You should select something...");
    });
}

void Form1::Command5_Click() {
    RunCommand([this] {
        constexpr int kNormalFocus = 1;
        services_.StartProgram(L"clipbrd.exe", kNormalFocus);
    });
}

void Form1::CopyToClipboard(std::wstring (FormServices::*read)(), const wchar_t* emptyMessage) {
    if ((services_.*read)().empty()) {
        services_.ShowMessage(emptyMessage);
        return;
    }
    services_.ClearClipboard();
    services_.PutClipboardText((services_.*read)());
}
