// velnart's own default terminate handler, in place of libstdc++'s verbose one, which
// links the whole demangler to print a text a windowed program never shows before it
// aborts just the same. Defined under the library's own name, so the library's object
// is never linked: if anything pulls it in after all, the duplicate definition fails
// the link, and if the library's declaration changes, this stops compiling.
#include <cstdlib>
#include <exception>

void __gnu_cxx::__verbose_terminate_handler() {
    std::abort();
}
