#include "platform/image_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <algorithm>

#include "core/container/file_io.h"
#include "core/errors.h"

namespace insel::platform {

namespace {

void WriteImage(const QImage& image, const std::filesystem::path& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw FileError("cannot encode the picture for \"" + PathToUtf8(path) + "\"");
    }
    WriteFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size())});
}

}  // namespace

void WritePng(std::span<const std::uint32_t> pixels, int width, int height,
              const std::filesystem::path& path) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height) {
        throw BoundsError("an image of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels needs more pixels than given");
    }
    // Wraps the raster without copying; the conversion drops the unused alpha byte.
    const QImage raster(reinterpret_cast<const uchar*>(pixels.data()), width, height, width * 4,
                        QImage::Format_RGB32);
    WriteImage(raster.convertToFormat(QImage::Format_RGB888), path);
}

bool SavePng(const QImage& image, const std::filesystem::path& path, std::string* error) {
    try {
        WriteImage(image, path);
        return true;
    } catch (const std::exception& e) {
        if (error != nullptr) *error = e.what();
        return false;
    }
}

std::optional<Picture> LoadPicture(const std::filesystem::path& path) {
    QImage image;
    if (!image.load(QString::fromStdString(path.string()))) return std::nullopt;
    image = image.convertToFormat(QImage::Format_RGB32);
    Picture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::copy(row, row + picture.width,
                  picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width);
    }
    return picture;
}

}  // namespace insel::platform
