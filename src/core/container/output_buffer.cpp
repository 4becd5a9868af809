#include "core/container/output_buffer.h"

#include "core/container/game_file.h"

namespace insel {

void PatchWordInGameFile(GameFileBuffer& buffer, std::uint16_t value, std::int64_t offset) {
    if (offset < 0 || offset + 2 > buffer.length()) {
        throw BoundsError("patch at file position " + std::to_string(offset) +
                          " lies outside the loaded file");
    }
    buffer.Changed();
    const auto at = static_cast<std::size_t>(offset);
    buffer.patched.push_back({offset, buffer.bytes[at]});
    buffer.patched.push_back({offset + 1, buffer.bytes[at + 1]});
    buffer.bytes[static_cast<std::size_t>(offset)] = value & 0xFF;
    buffer.bytes[static_cast<std::size_t>(offset) + 1] = value >> 8;
}

}  // namespace insel
