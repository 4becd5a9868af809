#pragma once
// Image files through Qt's image support: the core's rasters written as PNG.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/display/textures.h"

class QImage;

namespace insel::platform {

// `pixels` are rows of 0xAARRGGBB values (alpha ignored), `width` per row; written as an 8-bit
// RGB PNG, atomically.
void WritePng(std::span<const std::uint32_t> pixels, int width, int height,
              const std::filesystem::path& path);
// Any picture (a grab of a window) as a PNG, atomically. Returns false when it fails, with the
// reason in `error` when given.
bool SavePng(const QImage& image, const std::filesystem::path& path, std::string* error = nullptr);

// Any picture file Qt reads (8-bit BMPs with a palette among them) as opaque 0xAARRGGBB
// pixels; nothing when the file is missing or unreadable.
std::optional<Picture> LoadPicture(const std::filesystem::path& path);

}  // namespace insel::platform
