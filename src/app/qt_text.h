// SPDX-License-Identifier: GPL-3.0-or-later
// Text from the core (UTF-8 std::string) as the window's QString.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace k470::app {

inline QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline QStringList qs(const std::vector<std::string>& texts) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(texts.size()));
    for (const auto& s : texts) out << qs(s);
    return out;
}

}  // namespace k470::app
