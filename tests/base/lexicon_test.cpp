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

}  // namespace
}  // namespace k470
