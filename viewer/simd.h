// Which vector instructions the viewer may use: the one place that decides. On x86 the scans test
// for AVX2 when they run; SSE2 is there whenever the compiler targets it (always for x86-64, and
// for the 32-bit release). TESSAL_SIMD=OFF leaves them all out, to build and test the portable
// paths on their own.
#pragma once

#if !defined(TESSAL_NO_SIMD) && defined(__GNUC__)
// The compiler's vector types, which it compiles for whatever vector unit the target has.
#define TESSAL_VECTOR_TYPES 1
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSAL_X86_SIMD 1
#if defined(__SSE2__)
#define TESSAL_SSE2 1
#endif
#endif
#endif
