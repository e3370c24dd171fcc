// SPDX-License-Identifier: GPL-3.0-or-later
// The reverberation table, its CSV, the decay plot and the analysis of a stretch of a recorded file, on the
// room sample whose octave reverberation times are known.
#include "acoustics/reverberation_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "acoustics/signal_fixtures.h"
#include "signal/sample_signals.h"
#include "support/temp_dir.h"

namespace k470::acoustics {
namespace {

class RoomStretchTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(WriteSampleSignalFile(SampleSignalKind::Room, path)); }
    test::TempDir dir;
    std::string path = dir.file("room.sdt");
};

size_t fieldCount(const std::string& line) {
    size_t n = 1;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) ++n;
    }
    return n;
}

TEST_F(RoomStretchTest, ShotOfTheSecondRecordGivesTheRoomsTimes) {
    // The record's shot at 0.5 s, taken from 0.4 s to the end of the 3.5 s record.
    double last = -1.0;
    auto r =
        AnalyzeRecordedStretch({path, 1, 2, 0.4, std::nullopt}, ReverberationBands::Octave, [&](double f) {
            EXPECT_GE(f, last);
            last = f;
            return true;
        });
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_NEAR(last, 1.0, 1e-9);
    const auto rows = ReverberationRows(*r);
    ASSERT_EQ(rows.size(), r->bands.size());
    for (size_t b = 0; b < 6; ++b) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const ReverberationRow& x) {
            return x.band == (kRoomOctaveCentres[b] < 1000
                                  ? std::to_string(int(kRoomOctaveCentres[b]))
                                  : std::to_string(int(kRoomOctaveCentres[b] / 1000)) + "k");
        });
        ASSERT_NE(row, rows.end()) << kRoomOctaveCentres[b];
        const double t = kRoomReverberationTimes[b];
        ASSERT_FALSE(row->t20.empty()) << row->band << ": " << row->note;
        ASSERT_FALSE(row->t30.empty()) << row->band << ": " << row->note;
        EXPECT_NEAR(std::stod(row->t20), t, 0.1 * t) << row->band;
        EXPECT_NEAR(std::stod(row->t30), t, 0.1 * t) << row->band;
        EXPECT_LT(std::stod(row->rT30), -0.99) << row->band;
        // Three decimals for times, four for correlations, two for the floor.
        EXPECT_EQ(row->t30.size() - row->t30.find('.'), 4u) << row->t30;
        EXPECT_EQ(row->rT30.size() - row->rT30.find('.'), 5u) << row->rT30;
    }

    // The CSV holds a header and the same rows, eight fields each.
    std::istringstream csv(ReverberationCsv(*r));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "band_hz,edt_s,t20_s,t30_s,r_t20,r_t30,floor_db,note");
    size_t lines = 0;
    while (std::getline(csv, line)) {
        EXPECT_EQ(fieldCount(line), 8u) << line;
        EXPECT_EQ(line.substr(0, line.find(',')), rows[lines].band);
        EXPECT_NE(line.find(rows[lines].t20), std::string::npos);
        ++lines;
    }
    EXPECT_EQ(lines, rows.size());
}

TEST_F(RoomStretchTest, StretchBeforeTheShotHasNoDecayAndInventsNoTimes) {
    // 0 to 0.45 s: only the steady floor.
    auto r = AnalyzeRecordedStretch({path, 1, 1, 0.0, 0.45}, ReverberationBands::Third);
    ASSERT_TRUE(r) << r.error().message;
    size_t inRange = 0;
    for (const ReverberationRow& row : ReverberationRows(*r)) {
        EXPECT_TRUE(row.t20.empty()) << row.band << " " << row.t20;
        EXPECT_TRUE(row.t30.empty()) << row.band << " " << row.t30;
        EXPECT_FALSE(row.note.empty()) << row.band;
        ++inRange;
    }
    EXPECT_GE(inRange, 20u);
}

TEST_F(RoomStretchTest, MissingPiecesFailWithAMessage) {
    // No file, no record 9, no channel 3, a start beyond the record's 3.5 s.
    for (const RecordedStretch& s :
         {RecordedStretch{dir.file("none.sdt"), 1, 1, 0.0, std::nullopt},
          RecordedStretch{path, 1, 9, 0.0, std::nullopt}, RecordedStretch{path, 3, 1, 0.0, std::nullopt},
          RecordedStretch{path, 1, 1, 99.0, std::nullopt}}) {
        auto r = AnalyzeRecordedStretch(s, ReverberationBands::Octave);
        ASSERT_FALSE(r) << s.path << " " << s.channel << " " << s.record;
        EXPECT_FALSE(r.error().message.empty());
    }
    auto cancelled = AnalyzeRecordedStretch({path, 1, 1, 0.0, std::nullopt}, ReverberationBands::Octave,
                                            [](double f) { return f < 0.5; });
    EXPECT_FALSE(cancelled);
}

// A stretch longer than the analysis holds is refused with its length before its samples are read, and a
// part of it within the limit is analysed.
TEST(RecordedStretchTest, RefusesAStretchLongerThanTheAnalysisHolds) {
    test::TempDir dir;
    const std::string wav = dir.file("long.wav");
    std::vector<double> x(kMaxDecaySamples + 8000, 0.0);  // 721 s at 8 kHz
    for (size_t n = 0; n < x.size(); n += 100) x[n] = 0.5;
    ASSERT_TRUE(testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, x));
    auto whole = AnalyzeRecordedStretch({wav, 1, 1, 0.0, std::nullopt}, ReverberationBands::Octave);
    ASSERT_FALSE(whole);
    EXPECT_EQ(whole.error().message,
              "Reverberation time is analysed on at most 720 s of signal; this range holds 721 s: choose a "
              "shorter one");
    EXPECT_TRUE(AnalyzeRecordedStretch({wav, 1, 1, 100.0, 10.0}, ReverberationBands::Octave));
}

TEST(DecayPlotTest, FitLinesLieOverTheirFittedPartsOnly) {
    DecayResult d;
    d.curveStepSeconds = 0.01;
    d.curveDb.resize(100);
    for (size_t i = 0; i < d.curveDb.size(); ++i) d.curveDb[i] = -60.0 * static_cast<double>(i) * 0.01;
    d.t20 = DecayFit{1.0, -1.0, -60.0, -0.2, 0.083, 0.417};
    d.floorDb = -55.0;
    const DecayPlot p = DecayPlotOf(d);
    EXPECT_DOUBLE_EQ(p.stepSeconds, 0.01);
    ASSERT_EQ(p.t20Line.size(), 100u);
    ASSERT_EQ(p.t30Line.size(), 100u);
    // 0.083 s lies between steps 8 and 9, 0.417 s between 41 and 42.
    EXPECT_TRUE(std::isnan(p.t20Line[7]));
    EXPECT_NEAR(p.t20Line[8], -0.2 - 60.0 * 0.08, 1e-9);
    EXPECT_NEAR(p.t20Line[42], -0.2 - 60.0 * 0.42, 1e-9);
    EXPECT_TRUE(std::isnan(p.t20Line[43]));
    EXPECT_TRUE(std::all_of(p.t30Line.begin(), p.t30Line.end(), [](double v) { return std::isnan(v); }));
    EXPECT_EQ(p.floor, std::vector<double>(100, -55.0));
    d.floorDb.reset();
    EXPECT_TRUE(DecayPlotOf(d).floor.empty());
}

}  // namespace
}  // namespace k470::acoustics
