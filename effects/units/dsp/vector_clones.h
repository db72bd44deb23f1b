// AMPLIRO_VECTOR_CLONES marks a block kernel that the compiler builds twice:
// once for the x86-64 baseline and once for x86-64-v3 (AVX2), picked at load
// time by the CPU the program runs on. Both are compiled from the same source
// and compute the same integers; the wider one does it in fewer instructions.
// Measured with effects_bench (whole chain, all nine pedals at their
// defaults, CPU time per 448-sample block on the two-core build machine):
// 14.3 us with every kernel built twice, 33.2 us with none. The Tremolo's,
// Chorus's, Delay's, Parametric EQ's and Pitch Shifter's own kernels each
// saved between 1% and 7% of the chain, under the 10% a second build must
// earn, and are built once. The mark stays on the tone stack's (the larger
// part of the difference, see tone_stack.cpp) and, on the strength of the
// all-or-none figure, on the wavetable LFO's, the saturation's, the level
// and mix's, the Overdrive clipper's and the Reverb combs'.
#pragma once

// AMPLIRO_NO_VECTOR_CLONES builds the baseline only (the ThreadSanitizer
// build, whose runtime the load-time choice would crash).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(AMPLIRO_NO_VECTOR_CLONES)
#define AMPLIRO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define AMPLIRO_VECTOR_CLONES
#endif
