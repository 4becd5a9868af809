#pragma once
// Large game files for the benchmarks, made with the core's model and writer.
#include <cstdint>
#include <vector>

namespace insel::bench {

// A size x size island file with every layer filled (terrain and rivers on every cell).
std::vector<std::uint8_t> FilledIslandFile(int size);

// A size x size island as players shape them: plateaus, base-pattern tiles by height band,
// fertility by region, forest patches and a river. The tool benchmarks run on it, and on the
// filled island above as the worst case, where every cell differs from its neighbours.
std::vector<std::uint8_t> LandscapeIslandFile(int size);

// A savegame-like file: a head and `count` INSEL5 islands of size x size side by side.
std::vector<std::uint8_t> SavegameFile(int count, int size);

// A savegame of `islands` islands of size x size with `cities` cities of `buildings` buildings
// each (a warehouse among them), spread over the islands in island order.
std::vector<std::uint8_t> SavegameWithCitiesFile(int islands, int size, int cities, int buildings);

}  // namespace insel::bench
