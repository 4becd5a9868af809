#pragma once
// What the user chose for the next save, apart from the file.
#include <array>

namespace insel {

// A save-time layer shift (shift box and its x and y spins).
struct LayerShift {
    bool apply = false;
    int dx = 0, dy = 0;
};

struct SaveOptions {
    // By kind (heights, graphic tiles, plants, rocks); see ShiftKind.
    std::array<LayerShift, 4> shifts{LayerShift{false, 0, 0}, LayerShift{false, -1, 0},
                                     LayerShift{false, -1, 0}, LayerShift{false, -1, 0}};
    bool no_animals = false;      // NoAnimalsCheck: the island is written without its animals
    bool recount_kontid = false;  // RecountProdCheck: KONTID values renumbered per city
};

}  // namespace insel
