#pragma once
// The allocator's and the system's memory figures for the preload window's log.
#include "display/textures.h"

namespace insel::platform {

HeapStatus CurrentHeapStatus();

}  // namespace insel::platform
