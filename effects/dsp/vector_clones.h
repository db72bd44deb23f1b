// AMPLIRO_VECTOR_CLONES marks a block kernel that the compiler builds twice:
// once for the x86-64 baseline and once for x86-64-v3 (AVX2), picked at load
// time by the CPU the program runs on. Both are compiled from the same source
// and compute the same integers; the wider one does it in fewer instructions.
#pragma once

// AMPLIRO_NO_VECTOR_CLONES builds the baseline only (the ThreadSanitizer
// build, whose runtime the load-time choice would crash).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(AMPLIRO_NO_VECTOR_CLONES)
#define AMPLIRO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define AMPLIRO_VECTOR_CLONES
#endif
