#pragma once
// Memory for the large arrays: the layers, the history's backups and the values of its steps.
// A megabyte or more is taken in huge pages where the system offers them, since every fresh
// small page costs a fault, and for arrays of this size the faults cost many times the copying
// that fills them.
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace insel {

void* AllocateBulk(std::size_t bytes);
void FreeBulk(void* memory, std::size_t bytes) noexcept;

template <class T>
struct BulkAllocator {
    using value_type = T;
    BulkAllocator() = default;
    template <class U>
    BulkAllocator(const BulkAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBulk(n * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t n) noexcept { FreeBulk(memory, n * sizeof(T)); }
    // Growing leaves the new values unset: they are copied over at once, and setting a
    // megabyte first would double the cost.
    template <class U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <class U, class... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const BulkAllocator<U>&) const noexcept {
        return true;
    }
};

template <class T>
using BulkVector = std::vector<T, BulkAllocator<T>>;

}  // namespace insel
