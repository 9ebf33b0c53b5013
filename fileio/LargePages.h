#pragma once

// Memory for a large table that is looked up at random: in pages of 2 MiB where the system
// offers them, so that each look-up does not also miss the processor's table of pages. The check
// of a 50 MB file looks up 180,000 names in a table of 2 MiB; in 4 KiB pages, finding the page
// cost about as much as the look-up itself. One implementation file per platform
// (LargePages_posix.cpp, LargePages_win32.cpp).

#include <cstddef>
#include <new>

namespace merivox {

// The size of a large page, and the alignment a block must have to be held in them.
inline constexpr std::size_t kLargePage = std::size_t(2) << 20;

// Asks the system to hold the bytes from p on (aligned to kLargePage) in large pages.
void adviseLargePages(void *p, std::size_t bytes);

// For a std::vector: blocks of at least kLargePage bytes aligned to it and advised, smaller
// ones as usual.
template <typename T> struct LargePageAllocator
{
    using value_type = T;
    LargePageAllocator() = default;
    template <typename U> explicit LargePageAllocator(const LargePageAllocator<U> &) {}

    static bool large(std::size_t n) { return n * sizeof(T) >= kLargePage; }
    T *allocate(std::size_t n)
    {
        if (!large(n)) {
            return static_cast<T *>(::operator new(n * sizeof(T)));
        }
        void *p = ::operator new(n * sizeof(T), std::align_val_t{kLargePage});
        adviseLargePages(p, n * sizeof(T));
        return static_cast<T *>(p);
    }
    void deallocate(T *p, std::size_t n)
    {
        if (large(n)) {
            ::operator delete(p, std::align_val_t{kLargePage});
        } else {
            ::operator delete(p);
        }
    }
    template <typename U> bool operator==(const LargePageAllocator<U> &) const { return true; }
};

} // namespace merivox
