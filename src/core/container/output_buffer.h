#pragma once
// The growing byte array every file is assembled in before it is written in one piece.
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"

namespace insel {

struct GameFileBuffer;

// Narrows a value into a file field of type T, or throws OverflowError naming the field.
template <class T>
T CheckedNarrow(std::int64_t value, std::string_view field) {
    if (value < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
        value > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
        throw OverflowError("value " + std::to_string(value) + " does not fit " +
                            std::string(field));
    }
    return static_cast<T>(value);
}

class OutputBuffer {
  public:
    // Every assembly starts here; the array keeps its length and old bytes.
    void Reset() { position_ = 0; }
    std::int64_t position() const { return position_; }
    // Length of the array (its capacity for writes), which only grows.
    std::int64_t length() const { return static_cast<std::int64_t>(array_.size()); }
    // The assembled file: the bytes before the write position.
    std::span<const std::uint8_t> data() const {
        return {array_.data(), static_cast<std::size_t>(position_)};
    }
    const std::vector<std::uint8_t>& array() const { return array_; }

    // Grows the array by 5000 bytes when fewer than 1000 are left beyond the write position;
    // a bigger write than that grows it far enough for itself.
    void EnsureRoom(std::int64_t count = 0) {
        if (length() - 1000 < position_) array_.resize(array_.size() + 5000);
        if (length() - position_ < count) array_.resize(position_ + count + 1000);
    }

    void WriteFill(std::uint8_t value, std::int64_t count) {
        if (count <= 0) return;
        EnsureRoom(count);
        std::memset(array_.data() + position_, value, static_cast<std::size_t>(count));
        position_ += count;
    }
    void WriteBytes(std::span<const std::uint8_t> bytes) {
        EnsureRoom(static_cast<std::int64_t>(bytes.size()));
        if (!bytes.empty()) std::memcpy(array_.data() + position_, bytes.data(), bytes.size());
        position_ += static_cast<std::int64_t>(bytes.size());
    }
    void WriteString(std::string_view text) {
        WriteBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    void WriteByte(std::uint8_t value) {
        EnsureRoom();
        array_[static_cast<std::size_t>(position_++)] = value;
    }
    void WriteWord(std::uint16_t value) {
        EnsureRoom();
        Put(position_, value, 2);
        position_ += 2;
    }
    void WriteDword(std::uint32_t value) {
        EnsureRoom();
        Put(position_, value, 4);
        position_ += 4;
    }
    // Tag field: the tag and zero bytes up to `field` bytes.
    void WriteTag(std::string_view tag, int field = 12) {
        WriteString(tag);
        WriteFill(0, field - static_cast<std::int64_t>(tag.size()));
    }

    // Patches never move the write position and never grow the array.
    void PatchWord(std::uint16_t value, std::int64_t offset) { Patch(value, offset, 2); }
    void PatchDword(std::uint32_t value, std::int64_t offset) { Patch(value, offset, 4); }
    // Length fields: the number of bytes written after the field at `length_position`.
    void PatchLength(std::int64_t length_position) {
        PatchDword(CheckedNarrow<std::uint32_t>(position_ - length_position - 4, "a block length"),
                   length_position);
    }
    void PatchWordLength(std::int64_t length_position) {
        PatchWord(CheckedNarrow<std::uint16_t>(position_ - length_position - 2, "a record length"),
                  length_position);
    }

  private:
    void Put(std::int64_t offset, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            array_[static_cast<std::size_t>(offset + i)] = (value >> (8 * i)) & 0xFF;
    }
    void Patch(std::uint32_t value, std::int64_t offset, int width) {
        if (offset < 0 || offset + width > length()) {
            throw BoundsError("patch of " + std::to_string(width) + " bytes at output position " +
                              std::to_string(offset) + " lies outside the output buffer of " +
                              std::to_string(length()) + " bytes");
        }
        Put(offset, value, width);
    }

    std::vector<std::uint8_t> array_;
    std::int64_t position_ = 0;
};

// The warehouse clean-up corrects the loaded file in place.
void PatchWordInGameFile(GameFileBuffer& buffer, std::uint16_t value, std::int64_t offset);

}  // namespace insel
