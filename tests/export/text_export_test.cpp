// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/text_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <sstream>

#include "base/byte_order.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

// A record image built from the layout tables: header, then result words at 20 + 2*word.
struct Image {
    RecordBytes bytes{};
    int wordCount;
    explicit Image(DeviceType type, int n) : wordCount(n) {
        writeU16(&bytes[0], 0x5D8A);  // 10/12/2026
        writeU16(&bytes[2], 0x7168);  // 14:11:16
        for (int i = 0; i < 10; ++i) bytes[4 + i] = 0xFF;
        writeU32(&bytes[14], 0x12AB34CD);
        writeU16(&bytes[18], type);
        tail(4, 5);  // interval 3:04:05, range index 2
        tail(6, 4);
        tail(8, 3);
        tail(16, 2);
    }
    void word(int index, uint16_t v) { writeU16(&bytes[20 + 2 * index], v); }
    void tail(int offset, uint16_t v) { writeU16(&bytes[20 + 2 * wordCount + offset], v); }
};

std::string exportText(const Image& img, bool linear = false, double log10Ref = 0) {
    std::string out;
    EXPECT_TRUE(TextExporter().exportRecord(img.bytes, out, linear, log10Ref));
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    EXPECT_EQ(start, text.size()) << "text does not end in CR LF";
    return lines;
}

// The cell of a table: the line `label` below the title line `title` (the `occurrence`-th such title),
// column `band` (0-based after the label).
std::string cell(const std::string& text, const std::string& title, const std::string& label, int band,
                 int occurrence = 0) {
    const auto lines = splitLines(text);
    size_t i = 0;
    for (int seen = -1; i < lines.size(); ++i)
        if (lines[i] == title + ";" && ++seen == occurrence) break;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        std::vector<std::string> fields;
        std::stringstream ss(lines[i]);
        for (std::string f; std::getline(ss, f, ';');) fields.push_back(f);
        if (!fields.empty() && fields[0] == label && static_cast<size_t>(band + 1) < fields.size())
            return fields[static_cast<size_t>(band + 1)];
    }
    return "<missing>";
}

TEST(TextExport, EveryTableCellReadsTheWordOfItsLayoutSlot) {
    struct Case {
        DeviceType type;
        int n;
        int word;  // the word index of the cell, taken from the record layout
        const char* title;
        const char* label;
        int band;
        int channelBlock;  // occurrence of the title (the channel, for vibration)
    };
    const Case cases[] = {
        {3, 440, 10 * 2 + 9, "1/1 octaves", "Slow max", 2, 0},
        {3, 440, 10 * (10 + 29) + 4, "1/3 octaves", "Imp min", 29, 0},
        {3, 440, 400 + 12 * 1 + 5, "Weighted levels", "Peak", 1, 0},
        {3, 440, 400 + 12 * 2 + 11, "Weighted levels", "Slow max", 2, 0},
        {1, 1348, 446 * 2 + 320 + 14 * 8 + 7, "Weighted levels", "Pk", 8, 2},
        {1, 1348, 446 * 2 + 320 + 14 * 0 + 0, "Weighted levels", "1s peak", 0, 2},
        {2, 1348, 446 + 40 * 7 + 35 + 2 * 2, "1/3 Octave", "10s max", 23, 1},
        {20, 1348, 446 + 40 * 3 + 1 + 1, "1/3 Octave", "1s rms", 10, 1},
        {4, 1348, 24, "Octave", "5s min", 0, 0},
        {5, 1348, 40 * 7 + 12, "Octave", "Leq", 7, 0},
        {10, 1348, 320 + 14 * 1 + 13, "Weighted levels", "10s max", 1, 0},
        {6, 256, 7 * (32 + 3) + 6, "Weighted levels", "ESlow max", 3, 0},
        {11, 256, 7 * 5 + 5, "1/1 octaves", "ESlow min", 5, 0},
        {11, 256, 7 * (8 + 23) + 1, "1/3 octaves", "ESlow", 23, 0},
        {7, 314, 300 + 3, "Weighted levels", "Leq", 0, 0},
        {12, 314, 1, "1/3 octaves", "Fast", 0, 0},
        {22, 203, 6 * 29 + 2, "Bands", "Fast max", 29, 0},
        {23, 203, 6 * 32 + 1, "Weighted levels", "Fast min", 0, 0},
    };
    for (const Case& c : cases) {
        Image img(c.type, c.n);
        img.word(c.word, 0x4680);  // 70.50 dB, and every other level 0.00
        const std::string text = exportText(img);
        EXPECT_EQ(cell(text, c.title, c.label, c.band, c.channelBlock), "70.50")
            << "type " << c.type << " word " << c.word;
        EXPECT_EQ(text.find("70.50"), text.rfind("70.50")) << "type " << c.type << ": the word shows twice";
    }
}

TEST(TextExport, SoundLevelHeaderAndTableFrames) {
    Image img(3, 440);
    img.word(438, 0xFF00);  // calibration offset -1.00 dB
    const std::string text = exportText(img);
    const std::string head =
        "VIN:; 12AB34CD;\r\nDate:; 10/12/2026;\r\nTime:; 14:11:16;\r\nInterval:; 3:04:05;\r\nRange:; "
        "3;\r\n\r\n"
        "Sound level and spectrum meter;\r\n\r\nno overflow; calibration offset: -1.00;\r\n1/1 octaves;\r\n"
        ";31.5;63.0;125;250;500;1k;2.0k;4.0k;8.0k;16k;\r\nSlow;0.00;0.00;0.00;0.00;0.00;0.00;0.00;0.00;0.00;"
        "0.00;\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    const auto lines = splitLines(text);
    EXPECT_EQ(lines.size(), 8u + 1 + 2 + 10 + 1 + 2 + 10 + 1 + 2 + 11);
    EXPECT_EQ(lines[lines.size() - 13], "Weighted levels;");
    EXPECT_EQ(lines[lines.size() - 12], ";C;A;Z;");
    EXPECT_EQ(lines.back(), "Peak;0.00;0.00;0.00;");
}

TEST(TextExport, FieldMeterBandHeaderCountsInSteps) {
    Image img(22, 203);
    const auto lines = splitLines(exportText(img));
    std::string header = ";16.7";
    for (int f = 25; f <= 725; f += 25) header += ";" + std::to_string(f);
    EXPECT_EQ(lines[9], "Bands;");
    EXPECT_EQ(lines[10], header + ";");
    EXPECT_EQ(lines[11].substr(0, 10), "Fast;0.00;");
    EXPECT_EQ(lines[15], "Weighted levels;");
    EXPECT_EQ(lines[16], ";10k-30k;");
    EXPECT_EQ(lines.back(), "Fast max;0.00;");
}

TEST(TextExport, VibrationChannelsAndRangeLine) {
    Image three(1, 1348);
    three.word(1338 + 1, 1);  // overload, channel 2
    three.word(1338 + 5, 1);  // underrange, channel 3
    const std::string text = exportText(three);
    const auto lines = splitLines(text);
    EXPECT_EQ(text.find("Range"), std::string::npos);
    EXPECT_NE(text.find("\r\nchannel 1; no overflow; calibration offset: 0.00;\r\nOctave;\r\n"
                        ";1.0;2.0;4.0;8.0;16.0;31.5;63.0;125;\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nchannel 2; overloud; calibration offset: 0.00;\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nchannel 3; no overflow; underrange; calibration offset: 0.00;\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n1/3 Octave;\r\n;0.8;1.0;1.25;"), std::string::npos);
    EXPECT_NE(text.find("\r\nWeighted levels;\r\n;Fk;Fm;Wb;Wc;Wd;We;Wj;Wk;Wm\r\n1s rms;"), std::string::npos);
    EXPECT_TRUE(lines.back().empty());  // an empty line also after the last channel
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 3), "Pk;");

    Image one(5, 1348);
    const std::string single = exportText(one);
    EXPECT_NE(single.find("Range:; 3;\r\n"), std::string::npos);
    EXPECT_EQ(single.find("channel"), std::string::npos);
    EXPECT_NE(single.find("\r\n;8.0;16.0;31.5;63.0;125;250;500;1.0k;\r\n"), std::string::npos);
    EXPECT_NE(single.find("\r\nWeighted levels;\r\n;Fh;Wh;\r\n"), std::string::npos);
}

TEST(TextExport, StatusWords) {
    struct Case {
        uint16_t overload, underrange;
        const char* line;
    };
    const Case cases[] = {
        {0, 0, "no overflow; calibration offset: 0.00;"},
        {1, 0, "overloud; calibration offset: 0.00;"},
        {2, 0, "current overflow; calibration offset: 0.00;"},
        {5, 7, "current overflow; underrange; calibration offset: 0.00;"},
    };
    for (const Case& c : cases) {
        Image img(6, 256);
        img.word(252, c.overload);
        img.word(253, c.underrange);
        EXPECT_EQ(splitLines(exportText(img))[8], c.line);
    }
}

TEST(TextExport, LinearValuesInEngineeringForm) {
    struct Case {
        uint16_t word;
        double reference;
        const char* text;
    };
    const Case cases[] = {
        {0, 2e-5, "20E-6"},       // 0 dB re 20 uPa
        {94 * 256, 2e-5, "1E0"},  // 94 dB is 1.00237 Pa
        {120 * 256, 2e-5, "20E0"},   {0xFFFF, 2e-5, "126E6"},
        {100 * 256, 1e-6, "100E-3"},                      // vibration: 0.1 m/s^2
        {60 * 256, 1e-6, "1E-3"},    {0, 0.1, "100E-3"},  // electric field
    };
    for (const Case& c : cases) {
        Image img(3, 440);
        img.word(2, c.word);  // Slow of the 31.5 Hz octave
        EXPECT_EQ(cell(exportText(img, true, std::log10(c.reference)), "1/1 octaves", "Slow", 0), c.text)
            << c.word << " re " << c.reference;
    }
}

TEST(TextExport, TypesWithoutDecodingOrLayout) {
    Image twoChannel(24, 804);
    const std::string header = exportText(twoChannel);
    EXPECT_EQ(header,
              "VIN:; 12AB34CD;\r\nDate:; 10/12/2026;\r\nTime:; 14:11:16;\r\nInterval:; 3:04:05;\r\n\r\n"
              "Two-channel meter;\r\n\r\n");
    for (int type : {0, 13, 25, 26, 27}) {
        Image img(static_cast<DeviceType>(type), 440);
        std::string out = "kept";
        EXPECT_FALSE(TextExporter().exportRecord(img.bytes, out, false, 0)) << type;
        EXPECT_EQ(out, "kept");
    }
}

TEST(TextExport, TranslateWritesRecordLinesOnlyForSeveralRecords) {
    test::TempDir dir;
    Image sound(3, 440);
    Image unknown(14, 440);
    auto translate = [&](std::vector<const Image*> records) {
        std::vector<uint8_t> bytes;
        for (const Image* r : records) bytes.insert(bytes.end(), r->bytes.begin(), r->bytes.end());
        bytes.push_back(0x55);  // a partial record at the end is not counted
        test::writeBytes(dir.file("in.bin"), bytes);
        auto bin = BinFile::Open(dir.file("in.bin"));
        EXPECT_TRUE(bin);
        auto out = File::Open(dir.file("out.txt"), File::Mode::Create);
        EXPECT_TRUE(out);
        {
            TextWriter writer(*out);
            EXPECT_TRUE(translateBinToText(*bin, writer, false, TextExporter()));
        }
        return test::readText(dir.file("out.txt"));
    };
    const std::string single = translate({&sound});
    EXPECT_EQ(single.substr(0, 5), "VIN:;");
    EXPECT_EQ(single.find("Record"), std::string::npos);

    const std::string three = translate({&sound, &unknown, &sound});
    EXPECT_EQ(three.substr(0, 14), "\r\nRecord; 1;\r\n");
    EXPECT_NE(three.find("\r\nRecord; 2;\r\n\r\nRecord; 3;\r\nVIN:;"),
              std::string::npos);  // nothing for type 14
    EXPECT_EQ(three.size(), 2 * single.size() + 3 * 14);
}

TEST(TextExport, NumbersIgnoreTheUsersLocale) {
    Image img(3, 440);
    img.word(0, 0x4680);
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale on this machine";
    const std::string text = exportText(img);
    const std::string linear = exportText(img, true, std::log10(2e-5));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(cell(text, "1/1 octaves", "Imp", 0), "70.50");
    EXPECT_EQ(cell(linear, "1/1 octaves", "Imp", 0), "67E-3");
}

TEST(TextExport, TranslatedWordsInTheirCodePage) {
    Lexicon ru;
    ru.setCodePage(CodePage::Windows1251);
    ru.setText(Word::Date, "\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0");  // Дата
    ru.setText(Word::Overloud,
               "\xD0\x9F\xD0\x95\xD0\xA0\xD0\x95\xD0\x93\xD0\xA0\xD0\xA3\xD0\x97");  // ПЕРЕГРУЗ
    Image img(6, 256);
    img.word(252, 1);
    std::string out;
    ASSERT_TRUE(TextExporter(ru).exportRecord(img.bytes, out, false, 0));
    const auto lines = splitLines(out);
    EXPECT_EQ(lines[1], "\xC4\xE0\xF2\xE0:; 10/12/2026;");
    EXPECT_EQ(lines[8], "\xEF\xE5\xF0\xE5\xE3\xF0\xF3\xE7; calibration offset: 0.00;");  // перегруз
}

}  // namespace
}  // namespace k470
