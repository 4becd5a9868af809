#include "core/document/city_state.h"

#include <algorithm>
#include <atomic>

namespace insel {

std::uint64_t CatchmentGrid::NewVersion() {
    // The journal writes from a thread of its own and copies documents there.
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

void CityState::Clear() {
    cities.clear();
    current.reset();
    next_number = 1;
    warehouses.clear();
    auto& grid = catchment.Edit();
    std::fill(grid.begin(), grid.end(), 0);
}

}  // namespace insel
