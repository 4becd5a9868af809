#pragma once
// What the processor offers beyond the baseline the program is built for, asked once. The wide
// paths that use these keep a portable path beside them.
namespace insel::cpu {

#if defined(__x86_64__) && defined(__GNUC__)
inline bool Avx2() {
    static const bool on = __builtin_cpu_supports("avx2");
    return on;
}
inline bool Avx512Bw() {
    static const bool on = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return on;
}
inline bool Avx512Vl() {
    static const bool on = Avx512Bw() && __builtin_cpu_supports("avx512vl");
    return on;
}
inline bool Avx512Vbmi() {
    static const bool on = Avx512Bw() && __builtin_cpu_supports("avx512vbmi");
    return on;
}
#else
inline bool Avx2() { return false; }
inline bool Avx512Bw() { return false; }
inline bool Avx512Vl() { return false; }
inline bool Avx512Vbmi() { return false; }
#endif

}  // namespace insel::cpu
