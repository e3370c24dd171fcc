// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/lexicon.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(Lexicon, EnglishWordsAndTypeNames) {
    Lexicon l;
    EXPECT_EQ(l.cantOpenFile("x.bin"), "Can't open file 'x.bin'");
    EXPECT_EQ(l.deviceTypeName(3), "Sound level and spectrum meter");
    EXPECT_EQ(l.deviceTypeName(0), "Unknown type");
    EXPECT_EQ(l.deviceTypeName(26), "Pulse source");
    EXPECT_EQ(l.deviceTypeName(27), "Unknown type");
    EXPECT_EQ(l.deviceTypeName(65535), "Unknown type");
    EXPECT_EQ(substitute(l.text(Word::DifferentFileTypes), {"A", "B"}), "Different file types: A and B");
}

TEST(Lexicon, TranslatedWordsAreEncodedInTheirCodePage) {
    Lexicon ru;
    ru.setCodePage(CodePage::Windows1251);
    ru.setText(Word::Date, "\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0");
    EXPECT_EQ(ru.encoded(Word::Date), "\xC4\xE0\xF2\xE0");
}

// Messages are built from the active lexicon's pattern, so a translated lexicon changes them without the
// core knowing the language.
TEST(Lexicon, MessagesFollowTheActiveLexicon) {
    const Lexicon english;
    EXPECT_EQ(fail(Word::DirectoryChainLoops, {"a.sdt", "680"}).message,
              "The directory chain of 'a.sdt' loops back to offset 680");
    EXPECT_EQ(fail(Word::PresetFileHoldsSome, {"p.dat", "2", "5"}).message,
              "The preset file 'p.dat' holds 2 of its 5 presets");
    EXPECT_EQ(fail(Word::NoSuchChannel).message, "No such channel");
    Lexicon translated = english;
    translated.setText(Word::DirectoryChainLoops, "Chain of %s returns to %s");
    setLexicon(translated);
    const std::string message = fail(Word::DirectoryChainLoops, {"a.sdt", "680"}).message;
    setLexicon(english);
    EXPECT_EQ(message, "Chain of a.sdt returns to 680");
}

}  // namespace
}  // namespace k470
