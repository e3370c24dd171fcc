// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/level_argument.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "base/lexicon.h"

namespace k470 {

bool parseLevelArgument(std::string_view text, LevelSelection& level) {
    std::vector<int> numbers;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string_view part =
            text.substr(start, comma == std::string_view::npos ? comma : comma - start);
        int value = 0;
        const auto r = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || r.ec != std::errc() || r.ptr != part.data() + part.size() || value < 0 ||
            value > 255)
            return false;
        numbers.push_back(value);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (numbers.size() != 3 && numbers.size() != 4) return false;
    level = {numbers[0], numbers[1], numbers[2], numbers.size() == 4 ? numbers[3] : 0};
    return true;
}

std::string checkLevelArgument(DeviceType type, const LevelSelection& level, std::string_view text) {
    if (!hasLevelChoices(type) || isLevelChoice(type, level)) return {};
    std::string message = "level " + std::string(text) + " is not offered for " + deviceTypeName(type) + ": ";
    const auto tables = levelTableChoices(type);
    if (level.table >= static_cast<int>(tables.size()))
        return message + "tables are 0.." + std::to_string(tables.size() - 1);
    const size_t parameters = levelParameterChoices(type, level.table).size();
    if (level.parameter >= static_cast<int>(parameters))
        return message + "parameters of table " + std::to_string(level.table) + " are 0.." +
               std::to_string(parameters - 1);
    const size_t bands = levelBandChoices(type, level.table).size();
    if (level.band >= static_cast<int>(bands))
        return message + "bands of table " + std::to_string(level.table) + " are 0.." +
               std::to_string(bands - 1);
    const size_t channels = std::max<size_t>(1, levelChannelChoices(type).size());
    return message + "channels are 0.." + std::to_string(channels - 1);
}

}  // namespace k470
