#pragma once
// A square of cells turned a quarter: the island turn's bulk. Blocks of 8 x 8 cells are turned
// in vector registers, eight loads and eight stores a block, where a cell-by-cell turn reads
// every cell from another cache line.
#include <cstddef>
#include <cstdint>

namespace insel::simd {

// to[x * to_stride + y] = from[y * from_stride + (w - 1 - x)] for x, y in [0, w): new cell
// (x, y) takes old cell (y, w - 1 - x) of layers laid out column by column. The two must not
// overlap.
void TurnSquare(const std::uint8_t* from, std::size_t from_stride, int w, std::uint8_t* to,
                std::size_t to_stride);
void TurnSquare(const std::uint16_t* from, std::size_t from_stride, int w, std::uint16_t* to,
                std::size_t to_stride);
// Cell by cell, as the meaning above reads.
void TurnSquarePlain(const std::uint8_t* from, std::size_t from_stride, int w, std::uint8_t* to,
                     std::size_t to_stride);
void TurnSquarePlain(const std::uint16_t* from, std::size_t from_stride, int w, std::uint16_t* to,
                     std::size_t to_stride);

}  // namespace insel::simd
