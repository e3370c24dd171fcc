// SPDX-License-Identifier: GPL-3.0-or-later
// Named digital filters read from the "*.slb" files of the data directory, appended to one list whose indices
// the settings ("CustomFltN_0".."CustomFltN_2") and the presets refer to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"

namespace k470 {

// A delay beyond this many samples is taken for a damaged entry: the history rings grow with the delays.
constexpr uint32_t kMaxFilterDelay = 1u << 20;

struct FilterDefinition {
    uint32_t decimation = 1;          // the base decimation the filter belongs to
    uint32_t order = 0;               // delay in samples that aligns this channel with the others
    std::u16string name;              // at most 128 units
    std::vector<double> lowPass;      // decimation low-pass of the channel
    std::vector<double> numerator;    // b[0] .. b[nb-1]
    std::vector<double> denominator;  // a[0] .. a[na-1]; no leading 1, a[0] multiplies the previous output
};

struct FilterLibrary {
    std::vector<FilterDefinition> filters;

    // The definition at a settings index, or null for -1 and for indices outside the list.
    const FilterDefinition* at(int index) const;
    // Index of the first definition of that name (case-sensitive), or -1.
    int find(const std::u16string& name) const;
};

// Appends the entries of one library file. Every count is checked against the bytes left in the file before
// anything is allocated; on a damaged entry the entries read before it stay and the error says what is wrong.
Status readFilterLibraryFile(const std::string& path, FilterLibrary& library);

struct FilterLibraryLoad {
    FilterLibrary library;
    std::vector<Error> problems;  // files that could not be read completely
};

// Reads every "*.slb" file (extension in any case) of the directory in the order of their names (byte-wise),
// so that the indices are the same on every run. A missing directory gives an empty library.
FilterLibraryLoad loadFilterLibrary(const std::string& directory);

// Serialises a library file (the tests and the tools that make libraries use it).
std::vector<uint8_t> encodeFilterLibrary(const std::vector<FilterDefinition>& filters);

}  // namespace k470
