#include "core/document/city_state.h"

#include <algorithm>

namespace insel {

void CityState::Clear() {
    cities.clear();
    current.reset();
    next_number = 1;
    warehouses.clear();
    std::fill(catchment.begin(), catchment.end(), 0);
}

}  // namespace insel
