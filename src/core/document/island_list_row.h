#pragma once
// One row of the island list of a loaded savegame or scenario.
#include <array>
#include <cstdint>
#include <string>

namespace insel {

struct IslandListRow {
    std::string name;  // Windows-1252
    int width = 0;
    int world_second = 0;
    int world_first = 0;
    int climate = -1;  // INFO byte 0; -1 without an INFO block
    int city_byte = 0;
    int info_a = 0;
    std::int64_t position = 0;  // of the INSEL5 tag
    int number = 0;

    std::array<std::string, 9> Cells() const;
    bool operator==(const IslandListRow&) const = default;
};

}  // namespace insel
