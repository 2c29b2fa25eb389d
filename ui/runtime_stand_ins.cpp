// Stand-ins for parts of libstdc++ that would more than double velnart.exe. Its
// default terminate handler links the whole demangler to print a text a windowed program
// never shows before it aborts just the same. Its std::__throw_* helpers, which strings,
// vectors and allocators call, link the library's string, stdexcept and random objects to
// build std::logic_error and its kin; here they throw an exception of their own, which
// velnart reports as an internal error just as it did those. Its exception memory and
// its record of the exceptions in flight are made for many threads, with locks, thread
// keys and emulated thread-local storage; velnart throws on one thread only. And
// link-time optimisation gives functions that only clean up (run destructors, catch
// nothing) the C runtime's personality routine, which reads their tables just as the C++
// one does, so that one serves for both. The C runtime's start-up links a _matherr that
// would print to a console velnart does not have, and installs it only when asked to
// debug floating point; this one is never installed either and prints nothing. Each is
// defined under the library's own name, so the library's object is never linked: if
// anything pulls it in after all, the duplicate definitions fail the link, and if a
// declaration changes, this stops compiling.
#include <bits/functexcept.h>
#include <cxxabi.h>
#include <unwind.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
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

// The runtime's header in front of every thrown object (__cxa_refcounted_exception): a
// reference count, then the exception's bookkeeping and the unwinder's own header, which
// is aligned to 16 bytes. Its code finds the header by this size, so it must match: 96
// bytes on i686, 160 on x86-64, where pointers are twice as wide and the unwinder's
// header holds the six words of Windows' own unwinding.
struct ThrownHeader {
    int referenceCount;
    struct {
        void* type[5];  // type, destructor, unexpected and terminate handlers, next exception
        int handlerCounts[2];
        void* handlerData[4];  // action record, language-specific data, catch temp, pointer
        _Unwind_Exception unwindHeader;
    } exception;
};
static_assert(sizeof(ThrownHeader) == (sizeof(void*) == 8 ? 160 : 96),
              "the header of the runtime this is linked with");

// Where an exception goes when the heap has no room, so that running out of memory can
// still be thrown and reported: a few, since one may be thrown while another is caught.
constexpr std::size_t kReserveSlots = 4;
constexpr std::size_t kReserveSlotSize = 256;
alignas(16) unsigned char reserve[kReserveSlots][kReserveSlotSize];
bool reserveUsed[kReserveSlots];

// The record of the exceptions being handled, per thread in the library: two words.
alignas(16) unsigned char exceptionsInFlight[16];

}  // namespace

extern "C" void* __cxxabiv1::__cxa_allocate_exception(std::size_t size) noexcept {
    size += sizeof(ThrownHeader);
    void* memory = std::malloc(size);
    for (std::size_t slot = 0; !memory && size <= kReserveSlotSize && slot < kReserveSlots;
         ++slot) {
        if (!reserveUsed[slot]) {
            reserveUsed[slot] = true;
            memory = reserve[slot];
        }
    }
    if (!memory) {
        std::terminate();
    }
    std::memset(memory, 0, sizeof(ThrownHeader));
    return static_cast<unsigned char*>(memory) + sizeof(ThrownHeader);
}

extern "C" void __cxxabiv1::__cxa_free_exception(void* thrown) noexcept {
    unsigned char* memory = static_cast<unsigned char*>(thrown) - sizeof(ThrownHeader);
    for (std::size_t slot = 0; slot < kReserveSlots; ++slot) {
        if (memory == reserve[slot]) {
            reserveUsed[slot] = false;
            return;
        }
    }
    std::free(memory);
}

extern "C" __cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(exceptionsInFlight);
}

extern "C" __cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals_fast() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(exceptionsInFlight);
}

// Under Windows' own unwinding (x86-64) both personality routines are thin wrappers that
// hand the runtime's handler to the system, and the C one costs next to nothing.
#ifndef __SEH__
extern "C" _Unwind_Reason_Code __gxx_personality_v0(int version, _Unwind_Action actions,
                                                    _Unwind_Exception_Class exceptionClass,
                                                    _Unwind_Exception* exception,
                                                    _Unwind_Context* context);

// Only code made at link time refers to it, so it must be kept without a caller.
extern "C" __attribute__((used)) _Unwind_Reason_Code __gcc_personality_v0(
    int version, _Unwind_Action actions, _Unwind_Exception_Class exceptionClass,
    _Unwind_Exception* exception, _Unwind_Context* context) {
    return __gxx_personality_v0(version, actions, exceptionClass, exception, context);
}
#endif

extern "C" int _matherr(struct _exception*) {
    return 0;
}

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
