// The main window's behaviour: one handler per button, each trapping its own errors.
#pragma once

#include "address_list.h"
#include "app_error.h"
#include "form_services.h"
#include "netbios_operation.h"

class Form1 {
  public:
    Form1(FormServices& services, NetbiosOpener openNetbios);

    void Command1_Click();  // "&get mac adrs"
    void Command2_Click();  // "cpy &all"
    void Command3_Click();  // "&end"
    void Command4_Click();  // "cpy &selected"
    void Command5_Click();  // "&clipboard"

    void GetMacAddress(AddressList& colMacAddress);

  private:
    template <typename Steps>
    void RunCommand(Steps steps) noexcept;
    void ReportCommandError(const wchar_t* message) noexcept;
    void CopyToClipboard(std::wstring (FormServices::*read)(), const wchar_t* emptyMessage);

    FormServices& services_;
    NetbiosOpener openNetbios_;
};
