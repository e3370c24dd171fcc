// SPDX-License-Identifier: GPL-3.0-or-later
// The hot filter loops are written once over vectors of W doubles and built twice: with W = 4 for
// processors with AVX2 and FMA (x86-64-v3) and with W = 2 (SSE2) for any x86-64. The processor is asked
// once which one it can run, so one package serves every machine and the machines that have the wider
// vectors use them. Elsewhere (other architectures, clang) the plain build is the only one. Building with
// -DK470_PLAIN_VECTORS_ONLY keeps the plain one only, to measure what a processor without AVX2 gets; the
// environment variable K470_PLAIN_VECTORS makes a wide build run its plain loops (the tests do both).
//
//     template <size_t W>
//     [[gnu::always_inline]] inline void scaleBody(double* x, size_t n) { ... Vec<W> ... }
//     K470_WIDTH_DISPATCH(scale, (double* x, size_t n), (x, n))   // defines void scale(double*, size_t)
#pragma once

#include <cstddef>

namespace k470::acoustics {

template <size_t W>
struct VecOf {
    typedef double type __attribute__((vector_size(W * sizeof(double))));
};
// W doubles in one vector register.
template <size_t W>
using Vec = typename VecOf<W>::type;

// Whether the processor runs the wide build.
bool wideVectors();

}  // namespace k470::acoustics

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(K470_PLAIN_VECTORS_ONLY)
#define K470_WIDE_VECTORS 1
#define K470_WIDTH_DISPATCH(name, params, args)                        \
    __attribute__((target("arch=x86-64-v3"))) void name##Wide params { \
        name##Body<4> args;                                            \
    }                                                                  \
    void name##Plain params {                                          \
        name##Body<2> args;                                            \
    }                                                                  \
    void name params {                                                 \
        if (::k470::acoustics::wideVectors())                          \
            name##Wide args;                                           \
        else                                                           \
            name##Plain args;                                          \
    }
#else
#define K470_WIDE_VECTORS 0
#define K470_WIDTH_DISPATCH(name, params, args) \
    void name params {                          \
        name##Body<2> args;                     \
    }
#endif
