#pragma once
// The allocator's and the system's memory figures for the preload window's log and the about
// box.
#include <cstdint>
#include <optional>

#include "core/display/textures.h"

namespace insel::platform {

HeapStatus CurrentHeapStatus();

// Memory the system could still give to programs, in bytes; nothing where it cannot be told.
std::optional<std::uint64_t> AvailableSystemMemory();

}  // namespace insel::platform
