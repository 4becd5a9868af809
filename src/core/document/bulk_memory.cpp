#include "core/document/bulk_memory.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>
#endif

namespace insel {

#if defined(__linux__)

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kBulkFrom = std::size_t{1} << 20;
// Freed blocks kept for the next request: a step undone and replaced, a step the history's
// limit drops, the layers of an island loaded over, all give memory the next one takes warm.
constexpr std::size_t kKeptAtMost = std::size_t{96} << 20;

std::size_t Rounded(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

struct Kept {
    void* memory;
    std::size_t bytes;
};

class FreedBlocks {
  public:
    // A kept block of at least `bytes` and not twice as large, or null.
    void* Take(std::size_t bytes) {
        std::lock_guard lock(mutex_);
        auto best = blocks_.end();
        for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
            if (it->bytes >= bytes && it->bytes < 2 * bytes &&
                (best == blocks_.end() || it->bytes < best->bytes))
                best = it;
        }
        if (best == blocks_.end()) return nullptr;
        void* memory = best->memory;
        total_ -= best->bytes;
        blocks_.erase(best);
        return memory;
    }
    // Keeps the block; the oldest kept go back to the system when there are too many.
    void Give(void* memory, std::size_t bytes) {
        std::vector<void*> released;
        {
            std::lock_guard lock(mutex_);
            blocks_.push_back({memory, bytes});
            total_ += bytes;
            while (total_ > kKeptAtMost) {
                released.push_back(blocks_.front().memory);
                total_ -= blocks_.front().bytes;
                blocks_.erase(blocks_.begin());
            }
        }
        for (void* block : released) std::free(block);
    }
  private:
    std::mutex mutex_;
    std::vector<Kept> blocks_;
    std::size_t total_ = 0;
};

// Never destroyed: arrays that outlive it at exit would free into it.
FreedBlocks& Freed() {
    static auto* freed = new FreedBlocks;
    return *freed;
}

}  // namespace

void* AllocateBulk(std::size_t bytes) {
    if (bytes < kBulkFrom) return ::operator new(bytes);
    const std::size_t rounded = Rounded(bytes);
    if (void* kept = Freed().Take(rounded)) return kept;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (memory == nullptr) throw std::bad_alloc();
    // Advice only: where huge pages are off, the memory works as any other.
    madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}

void FreeBulk(void* memory, std::size_t bytes) noexcept {
    if (bytes < kBulkFrom) {
        ::operator delete(memory);
        return;
    }
    try {
        Freed().Give(memory, Rounded(bytes));
    } catch (...) {
        std::free(memory);
    }
}

#else

void* AllocateBulk(std::size_t bytes) { return ::operator new(bytes); }
void FreeBulk(void* memory, std::size_t) noexcept { ::operator delete(memory); }

#endif

// Out of line: a copy of a size the compiler knows becomes a string instruction that is slow to
// start for a column's kilobyte.
void CopyColumn(void* to, const void* from, std::size_t bytes) { std::memcpy(to, from, bytes); }

}  // namespace insel
