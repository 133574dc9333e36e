// Makes a use of freed memory stop the test at once instead of quietly reading stale data.
//
// While a FreedMemoryTrap lives, every allocation made through operator new gets whole pages of
// its own, followed by an unmapped page, in an address range that is never handed out twice.
// Freeing such an allocation, then or later, unmaps its pages: any later read or write of the freed
// object is an access violation that ends the test process, and its address can never come back
// as another object's. Freeing it a second time ends the process too.
#pragma once

namespace testsupport {

class FreedMemoryTrap {
public:
    FreedMemoryTrap();
    ~FreedMemoryTrap();
    FreedMemoryTrap(const FreedMemoryTrap&) = delete;
    FreedMemoryTrap& operator=(const FreedMemoryTrap&) = delete;

    // Whether P was allocated while a trap lived (so that its freeing will be caught).
    static bool Holds(const void* P);
    // Whether the memory at P can still be read (false once a trapped allocation was freed).
    static bool Readable(const void* P);
};

}  // namespace testsupport
