// An allocator for buffers that are filled right after they are sized.
#pragma once

#include <memory>
#include <new>

// Grows like std::allocator but leaves new elements uninitialised when resized without a value,
// so a list that is about to be filled from a file is not zeroed first.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
};
