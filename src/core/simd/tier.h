#pragma once
// The processor tier the kernels run on: chosen once per run from what the processor offers,
// and lowered (never raised beyond the processor) by INSEL_CPU=portable|avx2|avx512.
#include <optional>
#include <string_view>

namespace insel::simd {

enum class Tier { kPortable = 0, kAvx2 = 1, kAvx512 = 2 };

// The best tier this processor runs: AVX-512 needs F, BW, VL and VBMI.
Tier BestTier();

// The tier named by an INSEL_CPU value, or nothing for an unknown name.
std::optional<Tier> ParseTier(std::string_view name);

// The tier the wanted one comes to on a processor whose best is `best`.
Tier ChooseTier(std::optional<Tier> wanted, Tier best);

// The tier INSEL_CPU and the processor give; read it through ActiveTier.
Tier ReadActiveTier();

// The tier in force for this run, read once; kernels ask for it on every call.
inline Tier ActiveTier() {
    static const Tier tier = ReadActiveTier();
    return tier;
}
std::string_view TierName(Tier tier);
inline std::string_view TierName() { return TierName(ActiveTier()); }

inline bool Avx2() { return ActiveTier() >= Tier::kAvx2; }
inline bool Avx512() { return ActiveTier() >= Tier::kAvx512; }

}  // namespace insel::simd
