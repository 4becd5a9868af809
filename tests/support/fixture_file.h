#pragma once
// A little-endian byte builder for game-file fixtures, plus the few byte readers the tests need
// to look into files the program wrote. Deliberately independent of the program's own writer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace insel::fixture {

using Bytes = std::vector<std::uint8_t>;

class FixtureFile {
  public:
    FixtureFile() = default;
    explicit FixtureFile(Bytes bytes) : bytes_(std::move(bytes)) {}

    // Tag text followed by zero bytes up to `field` bytes.
    FixtureFile& Tag(std::string_view name, std::size_t field = 12);
    FixtureFile& Byte(std::uint8_t value);
    FixtureFile& Word(std::uint16_t value);
    FixtureFile& Dword(std::uint32_t value);
    FixtureFile& Text(std::string_view text);  // raw bytes, no terminator
    FixtureFile& Append(std::span<const std::uint8_t> bytes);
    FixtureFile& Zeros(std::size_t count);

    // A 4-byte length field to be patched later; returns its position.
    std::size_t LengthPlaceholder();
    // Sets the field at `position` to the number of bytes written after it.
    void PatchLength(std::size_t position);
    void PatchWord(std::size_t position, std::uint16_t value);
    void PatchDword(std::size_t position, std::uint32_t value);

    std::size_t size() const { return bytes_.size(); }
    const Bytes& bytes() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

  private:
    Bytes bytes_;
};

// Little-endian unsigned read of 1, 2 or 4 bytes; throws std::out_of_range past the end.
std::uint32_t ReadLe(std::span<const std::uint8_t> bytes, std::size_t position, int width);

// Every position where `tag` occurs (a plain substring match, like the program's search).
std::vector<std::size_t> FindAll(std::span<const std::uint8_t> bytes, std::string_view tag);

// Empty when equal; otherwise where the first difference lies (offset, and the last
// upper-case tag in front of it in `expected`) and the two sizes.
std::string DescribeDifference(std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> actual);

}  // namespace insel::fixture
