// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vector_width.h"

#include <cstdlib>

namespace k470::acoustics {

bool wideVectors() {
#if K470_WIDE_VECTORS
    // K470_PLAIN_VECTORS in the environment runs the plain build, so that it is tested on any machine.
    static const bool wide =
        !std::getenv("K470_PLAIN_VECTORS") && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return wide;
#else
    return false;
#endif
}

}  // namespace k470::acoustics
