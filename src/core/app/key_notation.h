#pragma once
// Tile, element and river keys are shown and typed as hexadecimal bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace insel {

// Most significant byte first, two upper-case digits per byte, bytes separated by a blank:
// 0x12345 gives "01 23 45". Negative values give "00".
std::string ValueToHex(std::int64_t value);

// Reads a typed key of 1 or 2 bytes: the first two digits are the low byte, the next two the
// high byte ("0102" reads as 0x0201). A character that is not a hex digit counts as -1.
std::int64_t HexToValue(int bytes, std::string_view text);

}  // namespace insel
