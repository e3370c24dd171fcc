// SPDX-License-Identifier: GPL-3.0-or-later
// The core's words as the translator sees them: each English word of the lexicon, and the code page of
// text exports ("Windows-1252"), listed here so that the translation tools collect them.
#pragma once

#include <QList>

namespace k470::app {

// Every entry, in the order of the lexicon.
const QList<const char*>& TranslatableLexiconWords();

}  // namespace k470::app
