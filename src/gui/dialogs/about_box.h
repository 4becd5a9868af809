#pragma once
// The about box: the program, the operating system and the free memory.
#include <QString>
#include <cstdint>
#include <optional>

namespace insel::gui {

// `free_bytes` is the system's available memory, nothing where it is not known.
QString AboutText(std::optional<std::uint64_t> free_bytes);

}  // namespace insel::gui
