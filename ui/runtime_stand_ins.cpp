// Stand-ins for two parts of libstdc++ that would more than double velnart.exe. Its
// default terminate handler links the whole demangler to print a text a windowed program
// never shows before it aborts just the same. Its std::__throw_* helpers, which strings,
// vectors and allocators call, link the library's string, stdexcept and random objects to
// build std::logic_error and its kin; here they throw an exception of their own, which
// velnart reports as an internal error just as it did those. Each is defined under the
// library's own name, so the library's object is never linked: if anything pulls it in
// after all, the duplicate definitions fail the link, and if a declaration changes, this
// stops compiling.
#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>
#include <new>

namespace {

class LibraryCheckFailed final : public std::exception {
  public:
    explicit LibraryCheckFailed(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }

  private:
    const char* text_;
};

}  // namespace

void __gnu_cxx::__verbose_terminate_handler() {
    std::abort();
}

void std::__throw_bad_alloc() {
    throw std::bad_alloc();
}

void std::__throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}

void std::__throw_length_error(const char* text) {
    throw LibraryCheckFailed(text);
}

void std::__throw_logic_error(const char* text) {
    throw LibraryCheckFailed(text);
}

void std::__throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryCheckFailed(format);
}
