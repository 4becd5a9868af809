#include "core/simd/cell_changes.h"

#include "core/simd/tier.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_X86 1
#endif

namespace insel::simd {

namespace {

// Sets bit k of the masks where differ(k) holds. Words without one are found by a loop over
// the whole word that the compiler vectorises; only the others are looked at cell by cell.
template <class Differ>
void BuildMask(int n, std::uint64_t* masks, Differ differ) {
    for (int first = 0; first < n; first += 64) {
        const int count = n - first < 64 ? n - first : 64;
        bool any = false;
        for (int k = 0; k < count; ++k) any |= differ(first + k);
        std::uint64_t word = 0;
        for (int k = 0; any && k < count; ++k) {
            word |= static_cast<std::uint64_t>(differ(first + k)) << k;
        }
        masks[first / 64] = word;
    }
}

}  // namespace

void DifferenceMaskPortable(const std::uint8_t* a, const std::uint8_t* b, int n,
                            std::uint64_t* masks) {
    BuildMask(n, masks, [&](int k) { return a[k] != b[k]; });
}

void DifferenceMaskPortable(const std::uint16_t* a, const std::uint16_t* b, int n,
                            std::uint64_t* masks) {
    BuildMask(n, masks, [&](int k) { return a[k] != b[k]; });
}

void BoundaryMaskPortable(const std::uint8_t* values, int n, std::uint64_t* masks) {
    BuildMask(n, masks, [&](int k) { return k == 0 || values[k] != values[k - 1]; });
}

void BoundaryMaskPortable(const std::uint16_t* values, int n, std::uint16_t compared,
                          std::uint64_t* masks) {
    BuildMask(n, masks,
              [&](int k) { return k == 0 || ((values[k] ^ values[k - 1]) & compared) != 0; });
}

#ifdef INSEL_X86
namespace {

#define INSEL_MASKS __attribute__((target("avx512f,avx512bw")))

// One compare per 64 bytes. Only the last, partial step loads under a mask, which stops at the
// column's end without touching beyond it: masked loads cost several times plain ones.
INSEL_MASKS void DifferenceMaskAvx512(const std::uint8_t* a, const std::uint8_t* b, int n,
                                      std::uint64_t* masks) {
    int first = 0;
    for (; first + 64 <= n; first += 64) {
        masks[first / 64] = _cvtmask64_u64(
            _mm512_cmpneq_epu8_mask(_mm512_loadu_si512(a + first), _mm512_loadu_si512(b + first)));
    }
    if (first < n) {
        const __mmask64 live = _cvtu64_mask64(LiveBits(n - first, 0));
        masks[first / 64] = _cvtmask64_u64(
            _mm512_mask_cmpneq_epu8_mask(live, _mm512_maskz_loadu_epi8(live, a + first),
                                         _mm512_maskz_loadu_epi8(live, b + first)));
    }
}

INSEL_MASKS std::uint64_t DifferingWords(const std::uint16_t* a, const std::uint16_t* b, int count,
                                         __m512i compared) {
    if (count >= 64) {
        const __m512i x0 = _mm512_xor_si512(_mm512_loadu_si512(a), _mm512_loadu_si512(b));
        const __m512i x1 = _mm512_xor_si512(_mm512_loadu_si512(a + 32), _mm512_loadu_si512(b + 32));
        return _cvtmask32_u32(_mm512_test_epi16_mask(x0, compared)) |
               std::uint64_t{_cvtmask32_u32(_mm512_test_epi16_mask(x1, compared))} << 32;
    }
    const std::uint64_t live = LiveBits(count, 0);
    const auto low = static_cast<__mmask32>(live);
    const auto high = static_cast<__mmask32>(live >> 32);
    const __m512i x0 =
        _mm512_xor_si512(_mm512_maskz_loadu_epi16(low, a), _mm512_maskz_loadu_epi16(low, b));
    const __m512i x1 = _mm512_xor_si512(_mm512_maskz_loadu_epi16(high, a + 32),
                                        _mm512_maskz_loadu_epi16(high, b + 32));
    return _cvtmask32_u32(_mm512_test_epi16_mask(x0, compared)) |
           std::uint64_t{_cvtmask32_u32(_mm512_test_epi16_mask(x1, compared))} << 32;
}

INSEL_MASKS void DifferenceMaskAvx512(const std::uint16_t* a, const std::uint16_t* b, int n,
                                      std::uint64_t* masks) {
    const __m512i all = _mm512_set1_epi16(-1);
    for (int first = 0; first < n; first += 64) {
        masks[first / 64] = DifferingWords(a + first, b + first, n - first, all);
    }
}

// Each value against the one before; the first of the column has none and starts a run.
INSEL_MASKS void BoundaryMaskAvx512(const std::uint8_t* values, int n, std::uint64_t* masks) {
    if (n <= 0) return;
    masks[0] = 1;
    if (n > 1) {
        std::uint64_t rest[1];
        DifferenceMaskAvx512(values + 1, values, n - 1 < 63 ? n - 1 : 63, rest);
        masks[0] |= rest[0] << 1;
    }
    for (int first = 64; first < n; first += 64) {
        std::uint64_t word[1];
        DifferenceMaskAvx512(values + first, values + first - 1, n - first < 64 ? n - first : 64,
                             word);
        masks[first / 64] = word[0];
    }
}

INSEL_MASKS void BoundaryMaskAvx512(const std::uint16_t* values, int n, std::uint16_t compared,
                                    std::uint64_t* masks) {
    if (n <= 0) return;
    const __m512i bits = _mm512_set1_epi16(static_cast<short>(compared));
    masks[0] = 1;
    if (n > 1) masks[0] |= DifferingWords(values + 1, values, n - 1 < 63 ? n - 1 : 63, bits) << 1;
    for (int first = 64; first < n; first += 64) {
        masks[first / 64] = DifferingWords(values + first, values + first - 1, n - first, bits);
    }
}

}  // namespace
#endif

void DifferenceMask(const std::uint8_t* a, const std::uint8_t* b, int n, std::uint64_t* masks) {
#ifdef INSEL_X86
    if (Avx512()) return DifferenceMaskAvx512(a, b, n, masks);
#endif
    DifferenceMaskPortable(a, b, n, masks);
}

void DifferenceMask(const std::uint16_t* a, const std::uint16_t* b, int n, std::uint64_t* masks) {
#ifdef INSEL_X86
    if (Avx512()) return DifferenceMaskAvx512(a, b, n, masks);
#endif
    DifferenceMaskPortable(a, b, n, masks);
}

void BoundaryMask(const std::uint8_t* values, int n, std::uint64_t* masks) {
#ifdef INSEL_X86
    if (Avx512()) return BoundaryMaskAvx512(values, n, masks);
#endif
    BoundaryMaskPortable(values, n, masks);
}

void BoundaryMask(const std::uint16_t* values, int n, std::uint16_t compared,
                  std::uint64_t* masks) {
#ifdef INSEL_X86
    if (Avx512()) return BoundaryMaskAvx512(values, n, compared, masks);
#endif
    BoundaryMaskPortable(values, n, compared, masks);
}

}  // namespace insel::simd
