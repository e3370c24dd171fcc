// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/level_locator.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/number_format.h"
#include "export/analysis_fixtures.h"
#include "export/text_export.h"

namespace k470 {
namespace {

struct OffsetCase {
    DeviceType type;
    LevelSelection level;  // table, parameter, band, channel
    int offset;            // worked out by hand from the record layouts
    const char* what;
};

// Each offset = 20 + 2 * (word index in the result block), the word index counted from the layout lists.
const OffsetCase kOffsets[] = {
    // Vibration: channel c starts at word 446c; octave i at 40i; weighted row w at 320 + 14w.
    {1, {2, 13, 8, 2}, 20 + 2 * (892 + 320 + 14 * 8 + 7), "whole-body ch3 Pk of Wm"},
    {1, {2, 10, 0, 0}, 20 + 2 * (320 + 0), "1s peak is the first word of a weighted row"},
    {1, {2, 9, 1, 1}, 20 + 2 * (446 + 320 + 14 + 6), "weighted Leq"},
    {1, {1, 4, 23, 1}, 20 + 2 * (446 + 280 + 30), "5s min of the third 1/3 band of octave 7"},
    {1, {1, 0, 4, 0}, 20 + 2 * (40 + 2), "1s rms of the middle 1/3 band of octave 1"},
    {5, {0, 9, 0, 0}, 20 + 2 * 12, "hand-arm octave Leq"},
    {5, {0, 2, 7, 0}, 20 + 2 * (280 + 17), "1s max of the last octave"},
    // SoundLevel: band rows of 10 words, weighted rows of 12 words from word 400.
    {3, {0, 0, 2, 0}, 20 + 2 * (20 + 2), "Slow of the 125 Hz octave"},
    {3, {1, 8, 29, 0}, 20 + 2 * (390 + 5), "Imp max of the 20 kHz third"},
    {3, {2, 10, 2, 0}, 20 + 2 * (400 + 24 + 5), "Peak of Z"},
    {19, {2, 1, 1, 0}, 20 + 2 * (412 + 10), "Slow min of A"},
    // Infrasound: rows of 7 words; octaves, then thirds from row 8, weighted from row 32.
    {6, {2, 5, 3, 0}, 20 + 2 * (35 * 7 + 6), "ESlow max of Fi"},
    {6, {2, 6, 3, 0}, 20 + 2 * (35 * 7 + 2), "Leq of Fi"},
    {11, {1, 3, 0, 0}, 20 + 2 * (8 * 7 + 1), "ESlow of the 1.6 Hz third"},
    // Ultrasound: 30 third rows of 10 words, then the A row.
    {12, {1, 0, 0, 0}, 20 + 2 * (300 + 2), "Slow of A"},
    {7, {0, 9, 29, 0}, 20 + 2 * (290 + 3), "Leq of the 40 kHz third"},
    // Field meters: 30 band rows of 6 words, 12 unused words, then the wide band.
    {22, {1, 2, 0, 0}, 20 + 2 * (192 + 2), "Fast max of the wide band"},
    {23, {0, 1, 29, 0}, 20 + 2 * (174 + 1), "Fast min of 725 Hz"},
    // No decoded levels, or not offered: the first result word.
    {24, {0, 0, 5, 1}, 20, "two-channel meter"},
    {13, {0, 0, 0, 0}, 20, "type without layout"},
    {3, {0, 0, 10, 0}, 20, "band beyond the octave table"},
    {3, {2, 11, 0, 0}, 20, "parameter beyond the weighted table"},
    {4, {0, 0, 0, 1}, 20, "second channel of a single-channel type"},
    {2, {2, 0, 2, 0}, 20, "third weighting of a hand-arm type"},
    {7, {2, 0, 0, 0}, 20, "ultrasound has two tables"},
};

TEST(LevelWordOffset, MatchesTheRecordLayouts) {
    for (const auto& c : kOffsets)
        EXPECT_EQ(levelWordOffset(c.type, c.level), c.offset) << c.what << " (type " << c.type << ")";
}

// A record whose level words all differ, exported as text: every choice of the dialog lists must name the
// row and column of the text export whose value is the word at levelWordOffset.
std::vector<std::vector<std::vector<std::string>>> exportedTables(const std::string& text) {
    std::vector<std::vector<std::vector<std::string>>> tables;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        // A table: a title line, then the band header line starting with ';'.
        if (lines[i].empty() || lines[i][0] == ';' || lines[i + 1].empty() || lines[i + 1][0] != ';')
            continue;
        auto& table = tables.emplace_back();
        for (size_t j = i + 2; j < lines.size() && !lines[j].empty(); ++j) {
            std::vector<std::string> fields;
            std::istringstream row(lines[j]);
            for (std::string f; std::getline(row, f, ';');) fields.push_back(f);
            table.push_back(fields);
        }
    }
    return tables;
}

TEST(LevelChoices, PairEveryLabelWithTheWordTheTextExportShows) {
    const TextExporter exporter;
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 19, 20, 21, 22, 23}) {
        const auto type = static_cast<DeviceType>(code);
        const RecordDimensions d = *lookupRecordDimensions(type);
        test::RecordImage image(type);
        for (int w = 0; w < d.levelWordCount(); ++w)
            image.at(20 + 2 * static_cast<size_t>(w), static_cast<uint16_t>(40 * (w + 1)));
        std::string text;
        ASSERT_TRUE(exporter.exportRecord(image.bytes, text, false, 0.0));
        const auto tables = exportedTables(text);
        const auto tableChoices = levelTableChoices(type);
        const int channels = std::max<int>(1, static_cast<int>(levelChannelChoices(type).size()));
        ASSERT_EQ(tables.size(), tableChoices.size() * static_cast<size_t>(channels)) << type;
        int checked = 0;
        for (int ch = 0; ch < channels; ++ch) {
            for (const auto& t : tableChoices) {
                const auto& rows =
                    tables[static_cast<size_t>(ch) * tableChoices.size() + static_cast<size_t>(t.number)];
                const auto parameters = levelParameterChoices(type, t.number);
                const auto bands = levelBandChoices(type, t.number);
                ASSERT_EQ(parameters.size(), rows.size()) << type << " table " << t.number;
                for (size_t r = 0; r < rows.size(); ++r) {
                    // The list shows the rows in the export's order, each with its locator number.
                    ASSERT_EQ(parameters[r].text, rows[r][0]) << type;
                    ASSERT_EQ(bands.size() + 1, rows[r].size()) << type;
                    for (const auto& b : bands) {
                        const int offset =
                            levelWordOffset(type, ch, t.number, parameters[r].number, b.number);
                        const std::string expected =
                            formatFixed(readU16(&image.bytes[static_cast<size_t>(offset)]) / 256.0, 2);
                        ASSERT_EQ(rows[r][static_cast<size_t>(b.number) + 1], expected)
                            << "type " << type << " channel " << ch << " table " << t.number << " row "
                            << parameters[r].text << " band " << b.text;
                        ++checked;
                    }
                }
            }
        }
        EXPECT_GT(checked, 0);
    }
}

std::vector<std::string> texts(const std::vector<LevelChoice>& choices) {
    std::vector<std::string> out;
    for (const auto& c : choices) out.push_back(c.text);
    return out;
}

std::vector<int> numbers(const std::vector<LevelChoice>& choices) {
    std::vector<int> out;
    for (const auto& c : choices) out.push_back(c.number);
    return out;
}

TEST(LevelChoices, TablesAsTheTypeHasThem) {
    using V = std::vector<std::string>;
    EXPECT_EQ(texts(levelTableChoices(3)), (V{"1/1 octaves", "1/3 octaves", "Weighted levels"}));
    EXPECT_EQ(texts(levelTableChoices(1)), (V{"1/1 octaves", "1/3 octaves", "Weighted levels"}));
    EXPECT_EQ(texts(levelTableChoices(7)), (V{"1/3 octaves", "Weighted levels"}));
    EXPECT_EQ(texts(levelTableChoices(22)), (V{"Bands", "Weighted levels"}));
    EXPECT_TRUE(levelTableChoices(24).empty());
    EXPECT_TRUE(levelTableChoices(0).empty());
    EXPECT_TRUE(levelTableChoices(300).empty());
    EXPECT_FALSE(hasLevelChoices(24));
}

TEST(LevelChoices, BandTextsWithHz) {
    struct Case {
        DeviceType type;
        int table;
        size_t count;
        const char* first;
        const char* second;
        const char* last;
    };
    const Case cases[] = {
        {3, 0, 10, "31.5 Hz", "63.0 Hz", "16k Hz"},  // octaves by their middle third
        {3, 1, 30, "25.0 Hz", "31.5 Hz", "20k Hz"}, {1, 0, 8, "1.0 Hz", "2.0 Hz", "125 Hz"},
        {1, 1, 24, "0.8 Hz", "1.0 Hz", "160 Hz"},   {20, 0, 8, "8.0 Hz", "16.0 Hz", "1.0k Hz"},
        {2, 1, 24, "6.3 Hz", "8.0 Hz", "1.25k Hz"}, {6, 0, 8, "2.0 Hz", "4.0 Hz", "250 Hz"},
        {11, 1, 24, "1.6 Hz", "2.0 Hz", "315 Hz"},  {12, 0, 30, "50.0 Hz", "63.0 Hz", "40k Hz"},
        {23, 0, 30, "16.7 Hz", "25 Hz", "725 Hz"},
    };
    for (const auto& c : cases) {
        const auto bands = levelBandChoices(c.type, c.table);
        ASSERT_EQ(bands.size(), c.count) << c.type;
        EXPECT_EQ(bands[0].text, c.first) << c.type;
        EXPECT_EQ(bands[1].text, c.second) << c.type;
        EXPECT_EQ(bands.back().text, c.last) << c.type;
    }
    using V = std::vector<std::string>;
    EXPECT_EQ(texts(levelBandChoices(9, 2)), (V{"Fk", "Fm", "Wb", "Wc", "Wd", "We", "Wj", "Wk", "Wm"}));
    EXPECT_EQ(texts(levelBandChoices(10, 2)), (V{"Fh", "Wh"}));
    EXPECT_EQ(texts(levelBandChoices(21, 2)), (V{"C", "A", "Z"}));
    EXPECT_EQ(texts(levelBandChoices(6, 2)), (V{"A", "Z", "G", "Fi"}));
    EXPECT_EQ(texts(levelBandChoices(7, 1)), (V{"A"}));
    EXPECT_EQ(texts(levelBandChoices(22, 1)), (V{"10-30 kHz"}));
}

TEST(LevelChoices, VibrationWeightedRowsCarryTheirLocatorNumbers) {
    const auto rows = levelParameterChoices(1, 2);
    EXPECT_EQ(texts(rows), (std::vector<std::string>{"1s rms", "1s min", "1s max", "1s peak", "5s rms",
                                                     "5s min", "5s max", "5s peak", "10s rms", "10s min",
                                                     "10s max", "10s peak", "Leq", "Pk"}));
    EXPECT_EQ(numbers(rows), (std::vector<int>{0, 1, 2, 10, 3, 4, 5, 11, 6, 7, 8, 12, 9, 13}));
    EXPECT_EQ(numbers(levelParameterChoices(1, 0)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(levelParameterChoices(3, 2).back().text, "Peak");
    EXPECT_EQ(levelParameterChoices(3, 2).back().number, 10);
    EXPECT_EQ(levelParameterChoices(12, 1).size(), 10u);  // the ultrasound A row has no Peak
}

TEST(LevelChoices, ChannelsOnlyForThreeChannelTypes) {
    EXPECT_EQ(texts(levelChannelChoices(20)),
              (std::vector<std::string>{"channel 1", "channel 2", "channel 3"}));
    EXPECT_TRUE(levelChannelChoices(4).empty());
    EXPECT_TRUE(levelChannelChoices(3).empty());
}

TEST(LevelChoices, CentreFrequenciesAndWeightingNames) {
    EXPECT_EQ(*bandCentreFrequency(3, 0, 5), 1000.0);  // the 1k octave
    EXPECT_EQ(*bandCentreFrequency(3, 1, 14), 630.0);  // "0.63k" in the export header
    EXPECT_EQ(*bandCentreFrequency(1, 0, 5), 31.5);
    EXPECT_EQ(*bandCentreFrequency(12, 0, 28), 32000.0);
    EXPECT_EQ(*bandCentreFrequency(22, 0, 0), 16.7);
    EXPECT_EQ(*bandCentreFrequency(22, 0, 3), 75.0);
    EXPECT_FALSE(bandCentreFrequency(3, 2, 0));
    EXPECT_FALSE(bandCentreFrequency(3, 0, 10));
    EXPECT_EQ(weightingName(2, 1), "Wh");
    EXPECT_EQ(weightingName(2, 2), "");
    EXPECT_EQ(weightingName(23, 0), "10-30 kHz");
}

}  // namespace
}  // namespace k470
