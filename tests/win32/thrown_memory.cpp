// The check that velnart's runtime stand-ins, which this program is linked with as velnart
// is, give every thrown object the memory the C++ runtime expects: it writes its header in
// front of the object, so that header must lie inside the object's own heap block, or the
// runtime writes over the block before it. Nothing velnart shows would tell.
#include "thrown_memory.h"

#include <windows.h>

#include <malloc.h>

#include <cstdio>
#include <new>

namespace {

// As libstdc++'s own __cxa_allocate_exception makes room for it (read from its code).
constexpr std::ptrdiff_t kRuntimeHeader = sizeof(void*) == 8 ? 160 : 96;
constexpr int kRounds = 2000;
// As many exceptions in flight at once as the stand-ins keep room for when the heap is full.
constexpr int kInFlight = 4;

bool heapFull = false;
// Where an allocation is kept, so that the compiler cannot leave it out.
void* volatile allocated = nullptr;

struct Probe {
    int number;
};

// Whether the object lies in a used block of the C runtime's heap with room for the
// runtime's header in front of it, inside the same block.
bool HeaderInItsBlock(const void* thrown) {
    const auto* object = static_cast<const char*>(thrown);
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK) {
        const auto* block = reinterpret_cast<const char*>(entry._pentry);
        if (entry._useflag == _USEDENTRY && object >= block && object < block + entry._size) {
            return object - block >= kRuntimeHeader;
        }
    }
    return false;
}

// Throws `depth` exceptions, each from the handler of the one before, so that all are in
// flight at once; counts those that arrive intact.
int ThrowNested(int depth) {
    if (depth == 0) {
        return 0;
    }
    try {
        throw Probe{depth};
    } catch (const Probe& probe) {
        return ThrowNested(depth - 1) + (probe.number == depth ? 1 : 0);
    }
}

}  // namespace

// The C runtime's malloc, which fails while the heap is to look full.
extern "C" void* malloc(std::size_t size) {
    using Malloc = void* (*)(std::size_t);
    static Malloc crtMalloc = nullptr;
    if (!crtMalloc) {
        crtMalloc = reinterpret_cast<Malloc>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "malloc")));
    }
    return heapFull ? nullptr : crtMalloc(size);
}

bool ThrownMemoryHolds() {
    int fitted = 0;
    for (int round = 0; round < kRounds; ++round) {
        try {
            try {
                throw Probe{round};
            } catch (const Probe& probe) {
                fitted += HeaderInItsBlock(&probe) ? 1 : 0;
                throw;
            }
        } catch (const Probe& probe) {
            fitted -= probe.number == round ? 0 : 1;
        }
    }

    // Each round takes all the room there is and must give it back for the next one.
    heapFull = true;
    int outOfMemory = 0;
    int nested = 0;
    for (int round = 0; round < kRounds / 10; ++round) {
        try {
            allocated = ::operator new(sizeof round);
            ::operator delete(allocated);
        } catch (const std::bad_alloc&) {
            ++outOfMemory;
        }
        nested += ThrowNested(kInFlight);
    }
    heapFull = false;

    std::printf(
        "thrown memory: %d of %d with the runtime's header in their heap block; heap full: "
        "%d of %d allocations failed as bad_alloc, %d of %d nested throws caught\n",
        fitted, kRounds, outOfMemory, kRounds / 10, nested, kRounds / 10 * kInFlight);
    return fitted == kRounds && outOfMemory == kRounds / 10 && nested == kRounds / 10 * kInFlight;
}
