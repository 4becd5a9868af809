#include "core/simd/tier.h"

#include <cstdio>
#include <cstdlib>

namespace insel::simd {

Tier BestTier() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
        return Tier::kAvx512;
    }
    if (__builtin_cpu_supports("avx2")) return Tier::kAvx2;
#endif
    return Tier::kPortable;
}

std::optional<Tier> ParseTier(std::string_view name) {
    if (name == "portable") return Tier::kPortable;
    if (name == "avx2") return Tier::kAvx2;
    if (name == "avx512") return Tier::kAvx512;
    return std::nullopt;
}

Tier ChooseTier(std::optional<Tier> wanted, Tier best) {
    return wanted && *wanted < best ? *wanted : best;
}

Tier ReadActiveTier() {
    const char* value = std::getenv("INSEL_CPU");
    if (value == nullptr || *value == '\0') return BestTier();
    const std::optional<Tier> wanted = ParseTier(value);
    // A typo must not silently measure or test the wrong tier.
    if (!wanted) {
        std::fprintf(stderr, "INSEL_CPU=%s is not one of portable, avx2, avx512; ignored\n",
                     value);
    }
    return ChooseTier(wanted, BestTier());
}

std::string_view TierName(Tier tier) {
    switch (tier) {
        case Tier::kAvx2:
            return "avx2";
        case Tier::kAvx512:
            return "avx512";
        default:
            return "portable";
    }
}

}  // namespace insel::simd
