// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text_encoding.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(TextEncoding, CodePagesOfTheTwoLanguages) {
    struct Case {
        const char* utf8;
        CodePage page;
        std::string bytes;
    };
    const Case cases[] = {
        {"Date", CodePage::Windows1252, "Date"},
        {"caf\xC3\xA9 \xE2\x82\xAC", CodePage::Windows1252, "caf\xE9 \x80"},
        {"\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0", CodePage::Windows1251, "\xC4\xE0\xF2\xE0"},  // Дата
        {"\xD0\x81\xD1\x91 \xE2\x84\x96", CodePage::Windows1251, "\xA8\xB8 \xB9"},        // Ёё №
        {"\xD0\x94", CodePage::Windows1252, "?"},                                         // no Cyrillic
        {"\xE4\xB8\xAD", CodePage::Windows1251, "?"},                                     // CJK
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCodePage(c.utf8, c.page), c.bytes) << c.utf8;
        if (c.bytes != "?") {
            EXPECT_EQ(fromCodePage(c.bytes, c.page), c.utf8);
        }
    }
}

TEST(TextEncoding, Utf16RoundTripIncludingSurrogates) {
    const std::string text = "Pa m/c^2 \xD0\x9F\xD0\xB0 \xF0\x9F\x8E\xB5";
    const std::u16string wide = utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 14u);
    EXPECT_EQ(utf16ToUtf8(wide), text);
    EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
}

TEST(TextEncoding, LowerCaseOfStatusWords) {
    EXPECT_EQ(toLowerText("OVERLOUD"), "overloud");
    EXPECT_EQ(toLowerText("\xD0\x9F\xD0\x95\xD0\xA0\xD0\x95\xD0\x93\xD0\xa0\xD0\xA3\xD0\x97"),
              "\xD0\xBF\xD0\xB5\xD1\x80\xD0\xB5\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7");  // ПЕРЕГРУЗ
}

}  // namespace
}  // namespace k470
