// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vector_width.h"

namespace k470::acoustics {

bool wideVectors() {
#if K470_WIDE_VECTORS
    static const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return wide;
#else
    return false;
#endif
}

}  // namespace k470::acoustics
