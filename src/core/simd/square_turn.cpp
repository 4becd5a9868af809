#include "core/simd/square_turn.h"

#include <cstring>
#include <type_traits>
#include <utility>

namespace insel::simd {

namespace {

template <class T>
void TurnCells(const T* from, std::size_t from_stride, int w, T* to, std::size_t to_stride, int x0,
               int x1, int y0, int y1) {
    for (int x = x0; x < x1; ++x) {
        T* out = to + static_cast<std::size_t>(x) * to_stride;
        const T* in = from + (w - 1 - x);
        for (int y = y0; y < y1; ++y) out[y] = in[static_cast<std::size_t>(y) * from_stride];
    }
}

// The vectors of the compiler's own (GCC 12 and Clang), on any processor.
#if defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define INSEL_SHUFFLES 1
#endif
#endif

#ifdef INSEL_SHUFFLES

// Eight cells in a vector.
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
using Words8 = std::uint16_t __attribute__((vector_size(16)));
template <class T>
using Cells8 = std::conditional_t<sizeof(T) == 1, Bytes8, Words8>;

template <class V>
V Load(const void* at) {
    V v;
    std::memcpy(&v, at, sizeof v);
    return v;
}
template <class V>
void Store(void* at, V v) {
    std::memcpy(at, &v, sizeof v);
}

// Lane i of two vectors of eight lanes interleaved by groups of `group` lanes, from their low or
// high halves: a group of `a`, then one of `b` (lanes 8 on), and so on.
constexpr int InterleavedLane(int group, bool high, int i) {
    return i / group % 2 * 8 + (high ? 4 : 0) + i / group / 2 * group + i % group;
}
template <int Group, bool High, class V, int... I>
V Interleave(V a, V b, std::integer_sequence<int, I...>) {
    return __builtin_shufflevector(a, b, InterleavedLane(Group, High, I)...);
}
template <int Group, bool High, class V>
V Interleave(V a, V b) {
    return Interleave<Group, High>(a, b, std::make_integer_sequence<int, 8>{});
}

// Eight lanes of eight cells each: lane j of rows[i] becomes lane i of rows[j]. Three rounds
// interleave pairs of rows by one, two and four lanes.
template <class V>
void Transpose8(V (&rows)[8]) {
    V t[8], u[8];
    for (int i = 0; i < 4; ++i) {
        t[2 * i] = Interleave<1, false>(rows[2 * i], rows[2 * i + 1]);
        t[2 * i + 1] = Interleave<1, true>(rows[2 * i], rows[2 * i + 1]);
    }
    for (int h = 0; h < 2; ++h) {
        const int b = 4 * h;
        u[b] = Interleave<2, false>(t[b], t[b + 2]);
        u[b + 1] = Interleave<2, true>(t[b], t[b + 2]);
        u[b + 2] = Interleave<2, false>(t[b + 1], t[b + 3]);
        u[b + 3] = Interleave<2, true>(t[b + 1], t[b + 3]);
    }
    for (int k = 0; k < 4; ++k) {
        rows[2 * k] = Interleave<4, false>(u[k], u[k + 4]);
        rows[2 * k + 1] = Interleave<4, true>(u[k], u[k + 4]);
    }
}

// Blocks of 8 x 8: eight old columns, eight cells down each, are eight new columns' cells.
// Bands of old columns keep the new columns' cache lines at hand while they are filled.
template <class T>
void TurnBlocks(const T* from, std::size_t from_stride, int w, T* to, std::size_t to_stride) {
    using V = Cells8<T>;
    const int whole = w / 8 * 8;
    constexpr int kBand = 64;  // new cells: a cache line or two, measured best
    for (int y_band = 0; y_band < whole; y_band += kBand) {
        const int y_end = y_band + kBand < whole ? y_band + kBand : whole;
        for (int r0 = 0; r0 < whole; r0 += 8) {
            // Old rows r0 .. r0 + 7 from the far side: new columns w - 1 - r.
            const int first_row = w - whole + r0;
            for (int y0 = y_band; y0 < y_end; y0 += 8) {
                V rows[8];
                for (int i = 0; i < 8; ++i)
                    rows[i] =
                        Load<V>(from + static_cast<std::size_t>(y0 + i) * from_stride + first_row);
                Transpose8(rows);
                for (int k = 0; k < 8; ++k) {
                    const int x = w - 1 - (first_row + k);
                    Store(to + static_cast<std::size_t>(x) * to_stride + y0, rows[k]);
                }
            }
        }
    }
    // The edges a block does not fill: new columns beyond the blocks' and new rows below them.
    TurnCells(from, from_stride, w, to, to_stride, whole, w, 0, w);
    TurnCells(from, from_stride, w, to, to_stride, 0, whole, whole, w);
}

#endif

template <class T>
void Turn(const T* from, std::size_t from_stride, int w, T* to, std::size_t to_stride) {
#ifdef INSEL_SHUFFLES
    TurnBlocks(from, from_stride, w, to, to_stride);
#else
    TurnCells(from, from_stride, w, to, to_stride, 0, w, 0, w);
#endif
}

}  // namespace

void TurnSquare(const std::uint8_t* from, std::size_t from_stride, int w, std::uint8_t* to,
                std::size_t to_stride) {
    Turn(from, from_stride, w, to, to_stride);
}
void TurnSquare(const std::uint16_t* from, std::size_t from_stride, int w, std::uint16_t* to,
                std::size_t to_stride) {
    Turn(from, from_stride, w, to, to_stride);
}
void TurnSquarePlain(const std::uint8_t* from, std::size_t from_stride, int w, std::uint8_t* to,
                     std::size_t to_stride) {
    TurnCells(from, from_stride, w, to, to_stride, 0, w, 0, w);
}
void TurnSquarePlain(const std::uint16_t* from, std::size_t from_stride, int w, std::uint16_t* to,
                     std::size_t to_stride) {
    TurnCells(from, from_stride, w, to, to_stride, 0, w, 0, w);
}

}  // namespace insel::simd
