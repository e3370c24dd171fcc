// SPDX-License-Identifier: GPL-3.0-or-later
// Where the save dialogs may write: the name gets the extension of the chosen filter, and an output that
// is one of the inputs (the same file by device and inode, whatever its name) is refused.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace k470::app {

// path with the first extension of filter ("Text files (*.txt)" gives ".txt") when its name has no
// extension; a filter of any file ("*") or a name with an extension leaves the path as it is.
QString WithFilterExtension(const QString& path, const QString& filter);

// True when output names an existing file that is also one of inputs (device and inode compared).
bool IsOneOfInputs(const std::string& output, const QStringList& inputs);
bool IsOneOfInputs(const std::string& output, const std::string& input);

// "Can't write file '%s'": the message for an output that would overwrite an input.
QString OutputIsInputMessage(const QString& output);

}  // namespace k470::app
