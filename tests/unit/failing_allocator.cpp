#include "failing_allocator.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace {

bool failing = false;

void* Allocate(std::size_t size) noexcept {
    return failing ? nullptr : std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
    if (void* memory = Allocate(size)) {
        return memory;
    }
    throw std::bad_alloc();
}

}  // namespace

AllocationsFail::AllocationsFail(bool fail) noexcept : previous_(std::exchange(failing, fail)) {}

AllocationsFail::~AllocationsFail() {
    failing = previous_;
}

// Every form, so that nothing is allocated by the sanitizer's own operator new and
// released by this free.
void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
