// The process-wide operator new and delete, with the trapped allocations of FreedMemoryTrap.
// Outside a trap they are plain malloc and free.
#include "freed_memory_trap.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kPage = 4096;
// Address space for trapped allocations; a small object takes two pages of it (itself and the
// unmapped page behind it), so this holds thousands of them.
constexpr size_t kRegionSize = size_t(64) << 20;

std::atomic<char*> gRegion{nullptr};
std::atomic<size_t> gUsed{0};
std::atomic<int> gTraps{0};

bool InRegion(const void* P) {
    const char* base = gRegion.load();
    const char* p = static_cast<const char*>(P);
    return base && p >= base && p < base + kRegionSize;
}

void* TrappedAlloc(size_t Size) {
    const size_t pages = (Size + kPage - 1) / kPage + (Size == 0 ? 1 : 0);
    const size_t offset = gUsed.fetch_add((pages + 1) * kPage);
    if (offset + (pages + 1) * kPage > kRegionSize) {
        // Handing out reused or untrapped memory would let the test pass by luck.
        std::fputs("FreedMemoryTrap: address space used up\n", stderr);
        std::abort();
    }
    void* p = VirtualAlloc(gRegion.load() + offset, pages * kPage, MEM_COMMIT, PAGE_READWRITE);
    if (!p) throw std::bad_alloc();
    return p;
}

void* Allocate(size_t Size) {
    if (gTraps.load() > 0) return TrappedAlloc(Size);
    if (void* p = std::malloc(Size ? Size : 1)) return p;
    throw std::bad_alloc();
}

void Release(void* P) noexcept {
    if (!P) return;
    if (!InRegion(P)) {
        std::free(P);
        return;
    }
    // The unmapped page behind each allocation ends its committed run.
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(P, &info, sizeof info) || info.State != MEM_COMMIT) {
        std::fputs("FreedMemoryTrap: memory freed twice\n", stderr);
        std::abort();
    }
    VirtualFree(P, info.RegionSize, MEM_DECOMMIT);
}

}  // namespace

namespace testsupport {

FreedMemoryTrap::FreedMemoryTrap() {
    if (!gRegion.load()) {
        void* region = VirtualAlloc(nullptr, kRegionSize, MEM_RESERVE, PAGE_NOACCESS);
        if (!region) throw std::bad_alloc();
        gRegion.store(static_cast<char*>(region));
    }
    ++gTraps;
}

FreedMemoryTrap::~FreedMemoryTrap() { --gTraps; }

bool FreedMemoryTrap::Holds(const void* P) { return InRegion(P); }

bool FreedMemoryTrap::Readable(const void* P) {
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(P, &info, sizeof info) && info.State == MEM_COMMIT &&
           (info.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE));
}

}  // namespace testsupport

void* operator new(size_t Size) { return Allocate(Size); }
void* operator new[](size_t Size) { return Allocate(Size); }
void operator delete(void* P) noexcept { Release(P); }
void operator delete[](void* P) noexcept { Release(P); }
void operator delete(void* P, size_t) noexcept { Release(P); }
void operator delete[](void* P, size_t) noexcept { Release(P); }
