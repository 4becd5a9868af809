#include "fixture_file.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace insel::fixture {

FixtureFile& FixtureFile::Tag(std::string_view name, std::size_t field) {
    if (name.size() > field) throw std::invalid_argument("tag longer than its field");
    Text(name);
    return Zeros(field - name.size());
}

FixtureFile& FixtureFile::Byte(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

FixtureFile& FixtureFile::Word(std::uint16_t value) {
    return Byte(static_cast<std::uint8_t>(value & 0xFF))
        .Byte(static_cast<std::uint8_t>(value >> 8));
}

FixtureFile& FixtureFile::Dword(std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    return *this;
}

FixtureFile& FixtureFile::Text(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

FixtureFile& FixtureFile::Append(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

FixtureFile& FixtureFile::Zeros(std::size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

std::size_t FixtureFile::LengthPlaceholder() {
    const std::size_t position = bytes_.size();
    Dword(0);
    return position;
}

void FixtureFile::PatchLength(std::size_t position) {
    PatchDword(position, static_cast<std::uint32_t>(bytes_.size() - position - 4));
}

void FixtureFile::PatchWord(std::size_t position, std::uint16_t value) {
    for (int i = 0; i < 2; ++i)
        bytes_.at(position + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

void FixtureFile::PatchDword(std::size_t position, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes_.at(position + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t ReadLe(std::span<const std::uint8_t> bytes, std::size_t position, int width) {
    if (width != 1 && width != 2 && width != 4) throw std::invalid_argument("width");
    if (position + static_cast<std::size_t>(width) > bytes.size()) {
        throw std::out_of_range("read of " + std::to_string(width) + " bytes at " +
                                std::to_string(position) + " past the end of " +
                                std::to_string(bytes.size()) + " bytes");
    }
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[position + i];
    return value;
}

std::vector<std::size_t> FindAll(std::span<const std::uint8_t> bytes, std::string_view tag) {
    std::vector<std::size_t> found;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (std::size_t at = text.find(tag); !tag.empty() && at != text.npos;
         at = text.find(tag, at + 1))
        found.push_back(at);
    return found;
}

std::string DescribeDifference(std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    std::size_t i = 0;
    while (i < common && expected[i] == actual[i]) ++i;
    if (i == common && expected.size() == actual.size()) return {};
    std::ostringstream out;
    // Name the block: the last upper-case tag run at or before the offset.
    std::size_t tag = std::min(i, expected.size());
    auto upper = [&](std::size_t p) { return p < expected.size() && std::isupper(expected[p]); };
    while (tag > 0 && !(upper(tag) && upper(tag + 1) && upper(tag + 2) && !upper(tag - 1))) --tag;
    std::size_t end = tag;
    while (upper(end) || (end < expected.size() && std::isdigit(expected[end]))) ++end;
    out << "sizes: expected " << expected.size() << ", actual " << actual.size()
        << "; first difference at offset " << i << " (in block "
        << std::string(expected.begin() + tag, expected.begin() + end) << " at " << tag << ")";
    if (i < common) {
        out << ": expected 0x" << std::hex << int(expected[i]) << ", actual 0x" << int(actual[i]);
    }
    return out.str();
}

}  // namespace insel::fixture
