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
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
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
    bytes_.at(position + 1) = static_cast<std::uint8_t>(value >> 8);
    bytes_.at(position) = static_cast<std::uint8_t>(value & 0xFF);
}

void FixtureFile::PatchDword(std::size_t position, std::uint32_t value) {
    bytes_.at(position + 3);
    for (int i = 0; i < 4; ++i)
        bytes_[position + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

FixtureFile& FixtureFile::Block(std::string_view name, std::span<const std::uint8_t> content) {
    Tag(name);
    Dword(static_cast<std::uint32_t>(content.size()));
    return Append(content);
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
    if (tag.empty() || bytes.size() < tag.size()) return found;
    auto it = bytes.begin();
    while (true) {
        it = std::search(it, bytes.end(), tag.begin(), tag.end(),
                         [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
        if (it == bytes.end()) break;
        found.push_back(static_cast<std::size_t>(it - bytes.begin()));
        ++it;
    }
    return found;
}

namespace {

// The last run of at least four upper-case letters or digits that starts a zero-padded tag
// field at or before `position`; good enough to say which block a difference lies in.
std::string TagBefore(std::span<const std::uint8_t> bytes, std::size_t position) {
    for (std::size_t p = std::min(position, bytes.size() ? bytes.size() - 1 : 0) + 1; p-- > 0;) {
        std::size_t end = p;
        while (end < bytes.size() && (std::isupper(bytes[end]) || std::isdigit(bytes[end]))) ++end;
        const bool starts_run =
            p == 0 || !(std::isupper(bytes[p - 1]) || std::isdigit(bytes[p - 1]));
        if (end - p >= 4 && starts_run && std::isupper(bytes[p]) &&
            (end == bytes.size() || bytes[end] == 0)) {
            return std::string(bytes.begin() + p, bytes.begin() + end) + " at " + std::to_string(p);
        }
    }
    return "no tag";
}

}  // namespace

std::string DescribeDifference(std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    std::size_t i = 0;
    while (i < common && expected[i] == actual[i]) ++i;
    if (i == common && expected.size() == actual.size()) return {};
    std::ostringstream out;
    out << "sizes: expected " << expected.size() << ", actual " << actual.size()
        << "; first difference at offset " << i << " (in block " << TagBefore(expected, i) << ")";
    if (i < common) {
        out << ": expected 0x" << std::hex << int(expected[i]) << ", actual 0x" << int(actual[i]);
    }
    return out.str();
}

}  // namespace insel::fixture
