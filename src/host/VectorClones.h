#pragma once
// KELVA_VECTOR_CLONES: one version of a routine per instruction set (AVX-512, AVX2 and the
// baseline), chosen by the loader on first use. The DVL:: vector routines carry it; elsewhere it
// is empty and the routine is built once for what the compiler targets.
//
// KELVA_CLONE_INLINE: a helper with a loop that must be vectorised in every clone. A helper the
// compiler leaves out of line is built once, for the baseline, and every clone calls that one;
// this forces it into each clone.

#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define KELVA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KELVA_VECTOR_CLONES
#endif

#if defined(__GNUC__)
#define KELVA_CLONE_INLINE __attribute__((always_inline)) inline
#else
#define KELVA_CLONE_INLINE inline
#endif
