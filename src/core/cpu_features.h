// What the processor offers the vector loops beyond the baseline of the build (SSE2 on x86-64).
#pragma once

namespace lexmora {

// The vector forms a loop may take: the widest the processor runs, or one no wider than named,
// down to byte by byte. Every form gives the same result; the tests hold each form the machine
// runs to that, whichever the machine would pick.
enum class VectorLanes { Widest, Avx2, Sse2, Bytes };

// Whether the processor runs AVX2, told once: the loops that have a 32-byte form take it then.
inline bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

// Whether it runs the AVX-512 byte compress (VBMI2, with BW): a line's context is cleaned 64
// bytes a step without a branch on the data.
inline bool CpuHasAvx512Vbmi2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has =
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2");
    return has;
#else
    return false;
#endif
}

// Whether it runs the AVX-512 byte permutes (VBMI, with BW): a 256-byte table is looked up 64
// bytes at once.
inline bool CpuHasAvx512Vbmi() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has =
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return has;
#else
    return false;
#endif
}

} // namespace lexmora
