// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands/output_paths.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace k470::app {

QString WithFilterExtension(const QString& path, const QString& filter) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? path + QLatin1Char('.') + m.captured(1) : path;
}

namespace {
bool sameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
}  // namespace

bool IsOneOfInputs(const std::string& output, const QStringList& inputs) {
    struct stat out {};
    if (::stat(output.c_str(), &out) != 0) return false;  // not there yet: it cannot be an input
    for (const QString& in : inputs)
        if (sameFile(out, in.toStdString())) return true;
    return false;
}

bool IsOneOfInputs(const std::string& output, const std::string& input) {
    return IsOneOfInputs(output, QStringList{QString::fromStdString(input)});
}

QString OutputIsInputMessage(const QString& output) {
    return QCoreApplication::translate("k470::app::MainWindow", "Can't write file '%1'").arg(output);
}

}  // namespace k470::app
