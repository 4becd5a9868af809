#pragma once
// Element entries as GELAENDE and FLUESSE blocks hold them: word element, word parameter,
// byte y offset, byte x offset, six bytes each, into and out of a pair of layers.
#include <cstdint>

namespace insel::simd {

// Where entries go: the two layers' cells (columns kLayerSide apart) and the block's origin.
struct EntryTarget {
    std::uint16_t* element;
    std::uint16_t* param;
    int x0, y0;
};

// Writes what it can of the `available` entries from `e` (the file ends at `end`) the fast
// way and widens [0, x_end) x [0, y_end) to the cells written; returns how many were written.
// Stops before an entry whose cell lies outside the layers: the rest, from the returned index
// on, is left to the caller's checked loop.
std::int64_t ReadEntries(const EntryTarget& t, const std::uint8_t* e, std::int64_t available,
                         const std::uint8_t* end, int& x_end, int& y_end);
std::int64_t ReadEntriesPortable(const EntryTarget& t, const std::uint8_t* e,
                                 std::int64_t available, const std::uint8_t* end, int& x_end,
                                 int& y_end);

// Stages the entries of the set cells (element not 0) of `nx` columns of `ny` cells from
// `element` and `param` (columns kLayerSide apart), column by column, with offsets from the
// first cell; advances `cursor`. The area behind the cursor has room for every entry and 64
// bytes more.
void StageEntries(std::uint8_t*& cursor, const std::uint16_t* element, const std::uint16_t* param,
                  int nx, int ny);
void StageEntriesPortable(std::uint8_t*& cursor, const std::uint16_t* element,
                          const std::uint16_t* param, int nx, int ny);

}  // namespace insel::simd
