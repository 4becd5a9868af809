#pragma once
// Filling a run of small values. std::fill_n of a runtime value is a loop of single stores at
// this optimisation level; a value whose bytes are all alike goes through memset, any other in
// 8-byte stores.
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace insel {

template <class T>
void FillValues(T* first, std::size_t count, T value) {
    static_assert(std::is_unsigned_v<T> && sizeof(T) <= 4);
    constexpr std::size_t kPerWord = sizeof(std::uint64_t) / sizeof(T);
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < kPerWord; ++k)
        word |= static_cast<std::uint64_t>(value) << (8 * sizeof(T) * k);
    if (word == (word & 0xFFu) * 0x0101010101010101ull) {
        std::memset(first, static_cast<int>(word & 0xFFu), count * sizeof(T));
        return;
    }
    std::size_t i = 0;
    for (; i + kPerWord <= count; i += kPerWord) std::memcpy(first + i, &word, sizeof word);
    for (; i < count; ++i) first[i] = value;
}

}  // namespace insel
