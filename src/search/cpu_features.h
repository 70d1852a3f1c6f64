// What the processor offers the vector loops beyond the baseline of the build (SSE2 on x86-64).
#pragma once

namespace lexmora {

// Whether the processor runs AVX2, told once: the loops that have a 32-byte form take it then.
inline bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

} // namespace lexmora
