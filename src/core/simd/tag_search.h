#pragma once
// Tag searches over a file's bytes. Game data is full of the tags' letters, so candidates are
// filtered many starts at a time and only those compared in full.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace insel::simd {

// The first start in [from, last_start] where `tag` (not empty) matches, or -1. Every start up
// to last_start leaves room for the whole tag in data[0, length).
std::int64_t FindTag(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                     std::int64_t last_start, std::string_view tag);
std::int64_t FindTagPortable(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                             std::int64_t last_start, std::string_view tag);

// Tags that a load looks for across long stretches of the file (the data limit marker, the
// island list, the savegame walk, the blocks behind an island's cell data). Their occurrences
// are listed in one sweep over the buffer when a file is read, so that none of those searches
// reads the whole file again.
inline constexpr std::array<std::string_view, 8> kSweptTags = {
    "BIGBROTH", "INSEL5", "EVENTINSEL", "NAME", "BERGWERK2", "FLUESSE", "ANBAU", "STADT2"};
using SweptStarts = std::array<std::vector<std::int64_t>, kSweptTags.size()>;

// Lists into `out` every swept tag starting in [at, stop) whose bytes lie in data[0, valid),
// where `valid` (at most `length`) is how much of the buffer has been filled so far; returns
// where the next call goes on. Once valid == length every start up to the end is done.
std::int64_t SweepTags(const std::uint8_t* data, std::int64_t length, std::int64_t valid,
                       std::int64_t at, SweptStarts& out);
std::int64_t SweepTagsPortable(const std::uint8_t* data, std::int64_t length, std::int64_t valid,
                               std::int64_t at, SweptStarts& out);

}  // namespace insel::simd
