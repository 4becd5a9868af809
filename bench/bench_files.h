#pragma once
// Large game files for the benchmarks, made with the core's model and writer.
#include <cstdint>
#include <vector>

namespace insel::bench {

// A size x size island file with every layer filled (terrain and rivers on every cell).
std::vector<std::uint8_t> FilledIslandFile(int size);

// A savegame-like file: a head and `count` INSEL5 islands of size x size side by side.
std::vector<std::uint8_t> SavegameFile(int count, int size);

}  // namespace insel::bench
