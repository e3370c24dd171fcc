// SPDX-License-Identifier: GPL-3.0-or-later
// One libFuzzer target: the surface named by K470_FUZZ_SURFACE at build time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const k470::fuzz::Surface* surface = k470::fuzz::surfaceNamed(K470_FUZZ_SURFACE);
    if (surface == nullptr) std::abort();
    surface->entry(data, size);
    return 0;
}
