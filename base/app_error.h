// The program's one error type: a number and the standard message text for it.
#pragma once

#include <exception>
#include <string>

class AppError : public std::exception {
  public:
    AppError(unsigned long number, std::wstring message)
        : number_(number), message_(std::move(message)) {}

    unsigned long number() const noexcept { return number_; }
    const std::wstring& message() const noexcept { return message_; }
    const char* what() const noexcept override { return "velnart error"; }

  private:
    unsigned long number_;
    std::wstring message_;
};
