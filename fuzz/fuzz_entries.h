// SPDX-License-Identifier: GPL-3.0-or-later
// The input surfaces of the core, each as one function over arbitrary bytes. The libFuzzer targets call
// them, and the regression test feeds every kept crash input through the same functions. An entry returns
// normally on any input; it aborts only when the core breaks one of its own promises (an invariant checked
// here), so that the fuzzer reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace k470::fuzz {

using Entry = void (*)(const uint8_t* data, size_t size);

struct Surface {
    std::string_view name;  // the target's name and the folder of its corpus and regressions
    Entry entry;
};

// Every surface, in a fixed order.
std::span<const Surface> surfaces();
// The surface of that name, or nullptr.
const Surface* surfaceNamed(std::string_view name);

}  // namespace k470::fuzz
