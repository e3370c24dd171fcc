// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency weightings of sound levels (IEC 61672-1): the analysers' filters and the spectrum page's
// corrections name them with this one type.
#pragma once

namespace k470 {

enum class FrequencyWeighting { A, C, Z };

}  // namespace k470
