// SPDX-License-Identifier: GPL-3.0-or-later
// Arguments shared by the merge, percentiles and report commands.
#pragma once

#include "export/level_argument.h"

namespace k470::cli {

using k470::checkLevelArgument;
using k470::parseLevelArgument;

}  // namespace k470::cli
