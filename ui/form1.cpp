#include "form1.h"

#include <new>
#include <utility>

#include "get_mac_address.h"

namespace {

// Written out before they are needed: reporting that memory ran out must not need any.
constexpr wchar_t kNotEnoughMemory[] =
    L"Not enough memory resources are available to process this command.";
constexpr wchar_t kInternalError[] = L"An internal error occurred.";

}  // namespace

Form1::Form1(FormServices& services, NetbiosOpener openNetbios)
    : services_(services), openNetbios_(std::move(openNetbios)) {}

// The error is reported from where it was caught, by reference: a copy of it could
// itself run out of memory, and nothing may leave this function.
template <typename Steps>
void Form1::RunCommand(Steps steps) noexcept {
    try {
        steps();
    } catch (const AppError& error) {
        ReportCommandError(error.message().c_str());
    } catch (const std::bad_alloc&) {
        ReportCommandError(kNotEnoughMemory);
    } catch (...) {
        ReportCommandError(kInternalError);
    }
}

void Form1::ReportCommandError(const wchar_t* message) noexcept {
    try {
        services_.ShowMessage(message);
    } catch (...) {
        // The report is the last resort; if even the box cannot be shown, the
        // window simply stays as it is.
    }
}

void Form1::GetMacAddress(AddressList& colMacAddress) {
    // Opened for this listing and closed when it ends, however it ends: a service
    // kept open between clicks may go on answering from a stale adapter table.
    const NetbiosOperation netbios = openNetbios_();
    ::GetMacAddress(colMacAddress, netbios);
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
    // Clearing and putting happen in one opening of the clipboard, so that no other
    // program can open it in between and a copy that fails leaves it as it was.
    services_.ReplaceClipboardText((services_.*read)());
}
