// Growing a list by a size that came from outside can fail in two ways: the memory cannot be had
// (std::bad_alloc), or the size is beyond what the list can hold at all (std::length_error, which a
// 32-bit program meets far sooner than a 64-bit one). Every such growth goes through here, so that
// both are caught wherever one is.
#pragma once

#include <new>
#include <stdexcept>

// Runs grow(); false when it failed for want of memory.
template <typename Grow> bool tryToAllocate(Grow&& grow) {
    try {
        grow();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}
