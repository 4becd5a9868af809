#pragma once
#include "core/simd/tier.h"
namespace insel::cpu {
inline bool Avx2() { return simd::Avx2(); }
inline bool Avx512Bw() { return simd::Avx512(); }
inline bool Avx512Vl() { return simd::Avx512(); }
inline bool Avx512Vbmi() { return simd::Avx512(); }
}  // namespace insel::cpu
