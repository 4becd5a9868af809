#include "core/simd/tag_search.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/simd/tier.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_X86 1
#endif

namespace insel::simd {
namespace {

bool RestMatches(const std::uint8_t* at, std::string_view tag) {
    return std::memcmp(at + 1, tag.data() + 1, tag.size() - 1) == 0;
}

#if defined(__GNUC__)
// Sixteen bytes per step in a vector of the compiler's own (SSE2, NEON, ...).
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

inline Bytes16 LoadBytes16(const std::uint8_t* at) {
    Bytes16 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// What a compare of two Bytes16 gives: all ones in the lanes where it holds.
using Mask16 = std::int8_t __attribute__((vector_size(16)));

#endif

}  // namespace

// Blocks of 64 starts are tested for the tag's first and last byte in vectors joined into one
// word test; only blocks with a hit are looked at, at the starts that passed.
std::int64_t FindTagPortable(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                             std::int64_t last_start, std::string_view tag) {
    const auto size = static_cast<std::int64_t>(tag.size());
    const auto first = static_cast<std::uint8_t>(tag.front());
    const auto last = static_cast<std::uint8_t>(tag.back());
    std::int64_t at = from;
#if defined(__GNUC__)
    // Both reads of a block stay inside the buffer.
    for (; at <= last_start && at + size - 1 + 64 <= length; at += 64) {
        const std::uint8_t* a = data + at;
        const std::uint8_t* b = a + size - 1;
        Mask16 quarters[4];
        for (int q = 0; q < 4; ++q)
            quarters[q] = (LoadBytes16(a + 16 * q) == first) & (LoadBytes16(b + 16 * q) == last);
        const Mask16 any = quarters[0] | quarters[1] | quarters[2] | quarters[3];
        std::uint64_t halves[2];
        std::memcpy(halves, &any, sizeof halves);
        if ((halves[0] | halves[1]) == 0) continue;
        std::uint64_t lanes[8];
        std::memcpy(lanes, quarters, sizeof lanes);
        for (int w = 0; w < 8; ++w) {
            for (std::uint64_t bits = lanes[w]; bits != 0;) {
                const int byte = __builtin_ctzll(bits) / 8;
                const std::int64_t start = at + 8 * w + byte;
                if (start > last_start) return -1;
                if (RestMatches(data + start, tag)) return start;
                bits &= ~(std::uint64_t{0xFF} << (8 * byte));
            }
        }
    }
#endif
    for (; at <= last_start; ++at) {
        if (data[at] == first && data[at + size - 1] == last && RestMatches(data + at, tag))
            return at;
    }
    return -1;
}

#ifdef INSEL_X86
namespace {

// Starts among the 64 from `at` whose first and last byte match the tag's.
__attribute__((target("avx512f,avx512bw"), always_inline)) inline std::uint64_t Candidates64(
    const std::uint8_t* at, std::int64_t size, __m512i first, __m512i last) {
    const __mmask64 firsts = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), first);
    return _mm512_mask_cmpeq_epi8_mask(firsts, _mm512_loadu_si512(at + size - 1), last);
}

// 128 starts per round: two 64-byte halves tested before either is looked at, which keeps
// the loads of the next round going while this one is compared.
__attribute__((target("avx512f,avx512bw"))) std::int64_t FindTagAvx512(const std::uint8_t* data,
                                                                       std::int64_t length,
                                                                       std::int64_t from,
                                                                       std::int64_t last_start,
                                                                       std::string_view tag) {
    const auto size = static_cast<std::int64_t>(tag.size());
    const __m512i first = _mm512_set1_epi8(tag.front());
    const __m512i last = _mm512_set1_epi8(tag.back());
    std::int64_t at = from;
    while (at <= last_start && at + size - 1 + 128 <= length) {
        const std::uint64_t halves[2] = {Candidates64(data + at, size, first, last),
                                         Candidates64(data + at + 64, size, first, last)};
        if ((halves[0] | halves[1]) != 0) {
            for (int h = 0; h < 2; ++h) {
                for (std::uint64_t bits = halves[h]; bits != 0; bits &= bits - 1) {
                    const std::int64_t candidate = at + 64 * h + __builtin_ctzll(bits);
                    if (candidate > last_start) return -1;
                    if (RestMatches(data + candidate, tag)) return candidate;
                }
            }
        }
        at += 128;
    }
    return FindTagPortable(data, length, at, last_start, tag);
}

}  // namespace
#endif

std::int64_t FindTag(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                     std::int64_t last_start, std::string_view tag) {
#ifdef INSEL_X86
    if (Avx512()) return FindTagAvx512(data, length, from, last_start, tag);
#endif
    return FindTagPortable(data, length, from, last_start, tag);
}

namespace {

// Per byte value, the swept tags (one bit each) whose first, resp. second, byte it is.
struct SweepTables {
    constexpr SweepTables() {
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            first[static_cast<std::uint8_t>(kSweptTags[k][0])] |=
                static_cast<std::uint8_t>(1u << k);
            second[static_cast<std::uint8_t>(kSweptTags[k][1])] |=
                static_cast<std::uint8_t>(1u << k);
        }
    }
    alignas(64) std::uint8_t first[256]{};
    alignas(64) std::uint8_t second[256]{};
};
constexpr SweepTables kSweepTables{};

// The smallest range of byte values holding every swept tag's byte at `position`: the
// portable sweep's cheap first test.
struct ByteRange {
    std::uint8_t low = 255, span = 0;
};
constexpr ByteRange RangeOf(std::size_t position) {
    int low = 255, high = 0;
    for (std::string_view tag : kSweptTags) {
        low = std::min<int>(low, static_cast<std::uint8_t>(tag[position]));
        high = std::max<int>(high, static_cast<std::uint8_t>(tag[position]));
    }
    return {static_cast<std::uint8_t>(low), static_cast<std::uint8_t>(high - low)};
}
constexpr ByteRange kRanges[4] = {RangeOf(0), RangeOf(1), RangeOf(2), RangeOf(3)};

inline std::uint8_t InRange(std::uint8_t byte, ByteRange range) {
    return static_cast<std::uint8_t>(byte - range.low) <= range.span;
}

// Whether the four bytes from `d` may start a swept tag.
inline std::uint8_t Plausible(const std::uint8_t* d) {
    return InRange(d[0], kRanges[0]) & InRange(d[1], kRanges[1]) & InRange(d[2], kRanges[2]) &
           InRange(d[3], kRanges[3]);
}

template <std::size_t kTag>
bool SweptTagAt(const std::uint8_t* data, std::int64_t length, std::int64_t at) {
    constexpr std::string_view tag = kSweptTags[kTag];
    return at + static_cast<std::int64_t>(tag.size()) <= length &&
           std::memcmp(data + at, tag.data(), tag.size()) == 0;  // a fixed size: inlined
}

template <std::size_t... kTags>
bool SweptTagAt(std::size_t k, const std::uint8_t* data, std::int64_t length, std::int64_t at,
                std::index_sequence<kTags...>) {
    bool found = false;
    ((k == kTags ? (found = SweptTagAt<kTags>(data, length, at)) : false), ...);
    return found;
}

// The tags that may start at `at`, judged by its first two bytes, are compared in full.
inline void ListCandidate(const std::uint8_t* data, std::int64_t length, std::int64_t at,
                          SweptStarts& out) {
    unsigned tags = kSweepTables.first[data[at]] & kSweepTables.second[data[at + 1]];
    for (; tags != 0; tags &= tags - 1) {
        const auto k = static_cast<std::size_t>(__builtin_ctz(tags));
        if (SweptTagAt(k, data, length, at, std::make_index_sequence<kSweptTags.size()>{}))
            out[k].push_back(at);
    }
}

// `read` bytes are read for 64 starts, and a candidate's whole tag right after; while the
// buffer is still being filled, starts stay that far from the bytes not there yet.
std::int64_t SweepStop(std::int64_t length, std::int64_t valid, std::int64_t read) {
    return valid == length ? length - read : valid - 79;
}

std::int64_t SweepTail(const std::uint8_t* data, std::int64_t length, std::int64_t valid,
                       std::int64_t at, SweptStarts& out) {
    if (valid < length) return at;
    for (; at + 1 < length; ++at) ListCandidate(data, length, at, out);
    return length;
}

#if defined(__GNUC__)
// The lanes whose start's byte at `p` lies in the tags' letter range for that position.
template <std::size_t kPosition>
inline Mask16 InRangeLanes(const std::uint8_t* d) {
    return LoadBytes16(d + kPosition) - kRanges[kPosition].low <= kRanges[kPosition].span;
}

// Whether any lane of the four is set.
inline bool AnyOf(const Mask16 (&quarters)[4]) {
    const Mask16 any = quarters[0] | quarters[1] | quarters[2] | quarters[3];
    std::uint64_t halves[2];
    std::memcpy(halves, &any, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}
#endif

}  // namespace

// 64 starts at a time, tested in vectors and joined into one word test: a block is looked at
// start by start only when some start's first four bytes all lie in the tags' letter ranges,
// which cell data rarely has; then only the starts that passed are listed.
std::int64_t SweepTagsPortable(const std::uint8_t* data, std::int64_t length, std::int64_t valid,
                               std::int64_t at, SweptStarts& out) {
    static_assert(std::ranges::min(kSweptTags, {}, &std::string_view::size).size() >= 4);
    const std::int64_t stop = SweepStop(length, valid, 67);
    for (; at < stop; at += 64) {
        const std::uint8_t* d = data + at;
        std::uint64_t lanes[8];
#if defined(__GNUC__)
        // Two letters in a row are rare in cell data: most blocks end after this test.
        Mask16 quarters[4];
        for (int q = 0; q < 4; ++q)
            quarters[q] = InRangeLanes<0>(d + 16 * q) & InRangeLanes<1>(d + 16 * q);
        if (!AnyOf(quarters)) continue;
        for (int q = 0; q < 4; ++q)
            quarters[q] &= InRangeLanes<2>(d + 16 * q) & InRangeLanes<3>(d + 16 * q);
        if (!AnyOf(quarters)) continue;
        std::memcpy(lanes, quarters, sizeof lanes);
#else
        std::uint8_t bytes[64];
        for (int k = 0; k < 64; ++k) bytes[k] = Plausible(d + k) ? 0xFF : 0;
        std::memcpy(lanes, bytes, sizeof lanes);
#endif
        // Lanes are 0 or 0xFF bytes: the lowest set byte of a word is its next start.
        for (int w = 0; w < 8; ++w) {
            for (std::uint64_t bits = lanes[w]; bits != 0;) {
                const int byte = __builtin_ctzll(bits) / 8;
                ListCandidate(data, length, at + 8 * w + byte, out);
                bits &= ~(std::uint64_t{0xFF} << (8 * byte));
            }
        }
    }
    return SweepTail(data, length, valid, at, out);
}

#ifdef INSEL_X86
namespace {

#define INSEL_SWEEP __attribute__((target("avx512f,avx512bw")))

// Per byte, a superset of the tags it may belong to, from its two nibbles: a tag's bit is set
// in the table of each nibble of its byte. Exact for the swept tags' letters.
struct NibbleTable {
    INSEL_SWEEP explicit NibbleTable(int position) {
        alignas(16) std::uint8_t high[16] = {}, low[16] = {};
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            const auto c =
                static_cast<std::uint8_t>(kSweptTags[k][static_cast<std::size_t>(position)]);
            high[c >> 4] |= static_cast<std::uint8_t>(1u << k);
            low[c & 15] |= static_cast<std::uint8_t>(1u << k);
        }
        // The same 16 entries in every lane, as the byte shuffle looks up per lane.
        alignas(64) std::uint8_t high64[64], low64[64];
        for (int i = 0; i < 64; ++i) {
            high64[i] = high[i % 16];
            low64[i] = low[i % 16];
        }
        high_ = _mm512_load_si512(high64);
        low_ = _mm512_load_si512(low64);
    }
    INSEL_SWEEP __m512i operator()(__m512i bytes) const {
        const __m512i nibble = _mm512_set1_epi8(0x0F);
        const __m512i high = _mm512_and_si512(_mm512_srli_epi16(bytes, 4), nibble);
        return _mm512_and_si512(_mm512_shuffle_epi8(high_, high),
                                _mm512_shuffle_epi8(low_, _mm512_and_si512(bytes, nibble)));
    }
    __m512i high_, low_;
};

// 64 starts at a time: a start is a candidate when its first and second byte both belong to
// one of the tags.
INSEL_SWEEP std::int64_t SweepTagsAvx512(const std::uint8_t* data, std::int64_t length,
                                         std::int64_t valid, std::int64_t at, SweptStarts& out) {
    const NibbleTable first(0), second(1);
    const std::int64_t stop = SweepStop(length, valid, 65);
    for (; at < stop; at += 64) {
        const __m512i tags = _mm512_and_si512(first(_mm512_loadu_si512(data + at)),
                                              second(_mm512_loadu_si512(data + at + 1)));
        for (std::uint64_t bits = _mm512_test_epi8_mask(tags, tags); bits != 0; bits &= bits - 1)
            ListCandidate(data, length, at + __builtin_ctzll(bits), out);
    }
    return SweepTail(data, length, valid, at, out);
}

}  // namespace
#endif

std::int64_t SweepTags(const std::uint8_t* data, std::int64_t length, std::int64_t valid,
                       std::int64_t at, SweptStarts& out) {
#ifdef INSEL_X86
    if (Avx512()) return SweepTagsAvx512(data, length, valid, at, out);
#endif
    return SweepTagsPortable(data, length, valid, at, out);
}

}  // namespace insel::simd
