// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli vibration and infrasound, run as processes on generated signal files: steady tones at every
// 1/3-octave of each weighting's nominal range read their rms times the weighting factor of ISO 8041-1
// (written out here from the standard's parameters), the records read back by export with the CSV's values,
// the summary's combined value and daily exposure, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <limits>
#include <map>
#include <numbers>
#include <sstream>

#include "acoustics/signal_fixtures.h"
#include "acoustics/synthetic_signals.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::runCommand;

constexpr double kInf = std::numeric_limits<double>::infinity();

// ISO 8041-1 parameters: f1, f2, f3, f4, Q4, f5, Q5, f6, Q6, K.
struct Weighting {
    double f1, f2, f3, f4, q4, f5, q5, f6, q6, k;
};
const std::map<std::string, Weighting> kWeightings = {
    {"Fk", {0.4, 100, kInf, kInf, 1, kInf, 1, kInf, 1, 1}},
    {"Fm", {0.794328, 100, kInf, kInf, 1, kInf, 1, kInf, 1, 1}},
    {"Wb", {0.4, 100, 16, 16, 0.55, 2.5, 0.9, 4, 0.95, 1.024}},
    {"Wc", {0.4, 100, 8, 8, 0.63, kInf, 1, kInf, 1, 1}},
    {"Wd", {0.4, 100, 2, 2, 0.63, kInf, 1, kInf, 1, 1}},
    {"We", {0.4, 100, 1, 1, 0.63, kInf, 1, kInf, 1, 1}},
    {"Wj", {0.4, 100, kInf, kInf, 1, 3.75, 0.91, 5.32, 0.91, 1}},
    {"Wk", {0.4, 100, 12.5, 12.5, 0.63, 2.37, 0.91, 3.35, 0.91, 1}},
    {"Wm", {0.794328, 100, 5.684105, 5.684105, 0.5, kInf, 1, kInf, 1, 1}},
    {"Fh", {6.309573, 1258.925, kInf, kInf, 1, kInf, 1, kInf, 1, 1}},
    {"Wh", {6.309573, 1258.925, 15.915494, 15.915494, 0.64, kInf, 1, kInf, 1, 1}},
};

double factor(const Weighting& p, double f) {
    using C = std::complex<double>;
    const double tau = 2.0 * std::numbers::pi;
    const C s(0.0, tau * f);
    const double w1 = tau * p.f1, w2 = tau * p.f2, q = std::sqrt(0.5);
    C h = s * s / (s * s + s * w1 / q + w1 * w1) * (w2 * w2) / (s * s + s * w2 / q + w2 * w2);
    if (std::isfinite(p.f4))
        h *= (1.0 + (std::isfinite(p.f3) ? s / (tau * p.f3) : C(0.0))) /
             (1.0 + s / (p.q4 * tau * p.f4) + s * s / (tau * p.f4 * tau * p.f4));
    if (std::isfinite(p.f5)) {
        const double w5 = tau * p.f5, w6 = tau * p.f6;
        h *= (w5 / w6) * (w5 / w6) * (1.0 + s / (p.q5 * w5) + s * s / (w5 * w5)) /
             (1.0 + s / (p.q6 * w6) + s * s / (w6 * w6));
    }
    return p.k * std::abs(h);
}

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        for (std::string c; std::getline(ss, c, ',');) cells.push_back(c);
        rows.push_back(cells);
    }
    return rows;
}

// Tones of 1 m/s^2 rms, three to a record (one per channel), at whole numbers of periods in `seconds`: the
// 1/3-octave midbands from lo to hi rounded to the nearest such frequency.
struct ToneFile {
    std::vector<std::array<double, 3>> tones;  // per record
};
ToneFile writeTones(const std::string& path, double rate, double lo, double hi, double seconds) {
    std::vector<double> f;
    for (int x = -40; x <= 10; ++x) {
        const double fm = 1000.0 * std::pow(10.0, x / 10.0);
        if (fm >= lo * 0.99 && fm <= hi * 1.01) f.push_back(std::round(fm * seconds) / seconds);
    }
    while (f.size() % 3) f.push_back(f.back());
    ToneFile t;
    std::vector<acoustics::testing::SdtRecordImage> records;
    for (size_t r = 0; r < f.size(); r += 3) {
        t.tones.push_back({f[r], f[r + 1], f[r + 2]});
        acoustics::testing::SdtRecordImage image;
        std::array<std::vector<double>, 3> ch;
        for (size_t k = 0; k < 3; ++k)
            ch[k] = acoustics::testing::tone(f[r + k], rate, 2.0 * seconds, std::sqrt(2.0));
        for (size_t n = 0; n < ch[0].size(); ++n)
            for (size_t k = 0; k < 3; ++k) image.frames.push_back(ch[k][n]);
        records.push_back(image);
    }
    EXPECT_TRUE(acoustics::testing::writeSdt(path, rate, 7, records, {u"m/c^2", u"m/c^2", u"m/c^2"},
                                             {1e-6, 1e-6, 1e-6}));
    return t;
}

TEST(VibrationCommand, TonesAtEveryThirdOctaveReadTheirWeightingFactor) {
    struct Case {
        const char* kind;
        double rate, lo, hi, seconds;
        std::vector<std::string> weightings;
    };
    for (const Case& c :
         {Case{"whole-body", 1000.0, 0.5, 80.0, 10.0, {"Fk", "Fm", "Wb", "Wc", "Wd", "We", "Wj", "Wk", "Wm"}},
          Case{"hand-arm", 5000.0, 8.0, 1000.0, 2.0, {"Fh", "Wh"}}}) {
        test::TempDir dir;
        const std::string sdt = dir.file("tones.sdt");
        const ToneFile tones = writeTones(sdt, c.rate, c.lo, c.hi, c.seconds);
        const auto r = runCommand(
            K470_CLI, {"vibration", "--kind", c.kind, "--csv", "--interval", std::to_string(c.seconds), sdt});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto rows = csvRows(r.out);
        ASSERT_EQ(
            r.out.substr(0, r.out.find('\n')),
            "start_s,duration_s,channel,weighting,rms_m_s2,peak_m_s2,mtvv_m_s2,vdv_m_s175,crest_factor");
        // Two intervals per record, three channels, every weighting; the second interval of each record has
        // the band-limiting high-pass settled.
        const size_t perInterval = 3 * c.weightings.size();
        ASSERT_EQ(rows.size(), 1 + tones.tones.size() * 2 * perInterval);
        for (size_t rec = 0; rec < tones.tones.size(); ++rec) {
            for (size_t i = 0; i < perInterval; ++i) {
                const auto& row = rows[1 + (2 * rec + 1) * perInterval + i];
                ASSERT_EQ(row.size(), 9u);
                const int channel = std::stoi(row[2]);
                const double f = tones.tones[rec][static_cast<size_t>(channel - 1)];
                const double expected = factor(kWeightings.at(row[3]), f);
                EXPECT_NEAR(20.0 * std::log10(std::stod(row[4]) / expected), 0.0, 0.1)
                    << c.kind << " " << row[3] << " at " << f << " Hz";
                EXPECT_EQ(row[3], c.weightings[i % c.weightings.size()]);
                // A steady tone: peak sqrt(2) times the rms. The running mean square of time constant 1 s
                // rises from rest as 1 - e^-t (t = 2T at the interval's end) and ripples at 2f with the
                // relative amplitude 1 / sqrt(1 + (4 pi f)^2): the MTVV is its crest.
                // (Sampled, its peak may fall between samples: down to cos(pi f / fs) of the crest.)
                const double crest = std::stod(row[8]);
                EXPECT_LE(crest, std::sqrt(2.0) + 0.005) << row[3] << " " << f;
                EXPECT_GE(crest, std::sqrt(2.0) * std::cos(std::numbers::pi * f / c.rate) - 0.005)
                    << row[3] << " " << f;
                const double ripple = 1.0 / std::sqrt(1.0 + std::pow(4.0 * std::numbers::pi * f, 2.0));
                const double risen = 1.0 - std::exp(-2.0 * c.seconds);
                EXPECT_NEAR(std::stod(row[6]) / std::stod(row[4]), std::sqrt(risen * (1.0 + ripple)), 0.005)
                    << row[3] << " " << f;
            }
        }
    }
}

// The cell of a table of the text export: the line `label` under the `occurrence`-th title line.
std::string exportCell(const std::string& text, const std::string& title, const std::string& label,
                       size_t column, int occurrence) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find('\r')));
    size_t i = 0;
    for (int seen = -1; i < lines.size(); ++i)
        if (lines[i] == title + ";" && ++seen == occurrence) break;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        std::vector<std::string> fields;
        std::stringstream ss(lines[i]);
        for (std::string f; std::getline(ss, f, ';');) fields.push_back(f);
        if (!fields.empty() && fields[0] == label && column + 1 < fields.size()) return fields[column + 1];
    }
    return "<missing>";
}

TEST(VibrationCommand, RecordsExportWithTheValuesOfTheCsv) {
    test::TempDir dir;
    const std::string sdt = dir.file("axes.sdt");
    writeTones(sdt, 3000.0, 4.0, 16.0, 5.0);  // 4, 5, 6.3 Hz, then 8, 10, 12.6 Hz...
    const auto csv = runCommand(K470_CLI, {"vibration", "--csv", "--records", "1", "--interval", "5", sdt});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    const auto rows = csvRows(csv.out);
    const std::string bin = dir.file("axes.bin");
    auto r = runCommand(K470_CLI, {"vibration", "-o", bin, "--records", "1", "--interval", "5", sdt});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::filesystem::file_size(bin), 2u * 3072u);
    r = runCommand(K470_CLI, {"export", "-o", "-", bin});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Three-channel whole-body vibration meter"), std::string::npos)
        << r.out.substr(0, 400);
    // The second record's text follows the line naming it; every channel's weighted Leq and Pk are the
    // CSV's rms and peak in dB re 1e-6 m/s^2.
    const size_t at = r.out.find("Record; 2;");
    ASSERT_NE(at, std::string::npos);
    const std::string second = r.out.substr(at);
    for (size_t i = 1 + 27; i < rows.size(); ++i) {
        const int channel = std::stoi(rows[i][2]);
        const size_t w = (i - 1 - 27) % 9;
        const double rmsDb = 20.0 * std::log10(std::stod(rows[i][4]) / 1e-6);
        const double peakDb = 20.0 * std::log10(std::stod(rows[i][5]) / 1e-6);
        EXPECT_NEAR(std::stod(exportCell(second, "Weighted levels", "Leq", w, channel - 1)), rmsDb, 0.01)
            << rows[i][3] << " channel " << channel;
        EXPECT_NEAR(std::stod(exportCell(second, "Weighted levels", "Pk", w, channel - 1)), peakDb, 0.01)
            << rows[i][3] << " channel " << channel;
    }
}

TEST(VibrationCommand, SummaryGivesTheCombinedValueAndDailyExposureOfTheSample) {
    test::TempDir dir;
    const std::string sdt = dir.file("whole-body.sdt");
    ASSERT_EQ(runCommand(K470_CLI, {"sample", "--sdt", "whole-body", "-o", sdt}).exitCode, 0);
    const auto r = runCommand(K470_CLI, {"vibration", "--summary", "--exposure", "2", "--records", "1", sdt});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::map<std::string, double> v;
    for (const auto& row : csvRows(r.out))
        if (row.size() == 3 && row[0] != "quantity") v[row[0]] = std::stod(row[1]);
    // The sample's tones: x 0.3 m/s^2 at 2 Hz, y 0.2 at 1.25 Hz, z 0.5 at 5 Hz (20 s, the first seconds
    // counting the high-pass settling: 1 % allowed).
    const double x = 0.3 * factor(kWeightings.at("Wd"), 2.0), y = 0.2 * factor(kWeightings.at("Wd"), 1.25);
    const double z = 0.5 * factor(kWeightings.at("Wk"), 5.0);
    EXPECT_NEAR(v["rms_x_Wd"] / x, 1.0, 0.01);
    EXPECT_NEAR(v["rms_y_Wd"] / y, 1.0, 0.01);
    EXPECT_NEAR(v["rms_z_Wk"] / z, 1.0, 0.01);
    const double combined = std::sqrt(1.96 * x * x + 1.96 * y * y + z * z);
    EXPECT_NEAR(v["combined"] / combined, 1.0, 0.01);
    EXPECT_NEAR(v["a8_combined"], v["combined"] / 2.0, 1e-5);
    EXPECT_NEAR(v["a8_highest_axis"],
                std::max({1.4 * v["rms_x_Wd"], 1.4 * v["rms_y_Wd"], v["rms_z_Wk"]}) / 2.0, 1e-5);
    EXPECT_EQ(v["exposure_time"], 2.0);
    // A steady tone's VDV over T: the weighted amplitude times (3T/8)^(1/4).
    EXPECT_NEAR(v["vdv_z"] / (z * std::sqrt(2.0) * std::pow(3.0 * 20.0 / 8.0, 0.25)), 1.0, 0.02);
}

TEST(VibrationCommand, RefusesWhatItCannotMeasure) {
    test::TempDir dir;
    const std::string pa = dir.file("sound.sdt");
    acoustics::testing::SdtRecordImage image;
    image.frames = acoustics::testing::tone(10.0, 2000.0, 2.0, 1.0);
    ASSERT_TRUE(acoustics::testing::writeSdt(pa, 2000.0, 1, {image}));
    auto r = runCommand(K470_CLI, {"vibration", "--csv", pa});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Channel 1 is in 'Pa', not an acceleration"), std::string::npos) << r.err;
    // With a scale its values are m/s^2.
    r = runCommand(K470_CLI, {"vibration", "--csv", "--scale", "1", pa});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Hand-arm needs 5 kHz.
    r = runCommand(K470_CLI, {"vibration", "--kind", "hand-arm", "--csv", "--scale", "1", pa});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Sampling rate 2000 Hz is not supported for hand-arm vibration"), std::string::npos)
        << r.err;
    const std::string wav = dir.file("low.wav");
    ASSERT_TRUE(acoustics::testing::writeSound(wav, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 800, 1,
                                               acoustics::testing::tone(10.0, 800.0, 1.0, 0.5)));
    r = runCommand(K470_CLI, {"vibration", "--csv", "--scale", "1", wav});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("must lie between 1000 and 48000 Hz"), std::string::npos) << r.err;
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--csv", "--summary"},
                                                {"--csv", "--exposure", "8"},
                                                {"--summary", "--exposure", "25"},
                                                {"--csv", "--kind", "seated"},
                                                {"--csv", "--channels", "4"},
                                                {"--csv", "--channel", "1"}}) {
        std::vector<std::string> args = {"vibration"};
        args.insert(args.end(), bad.begin(), bad.end());
        args.push_back(wav);
        EXPECT_EQ(runCommand(K470_CLI, args).exitCode, 2) << bad[0] << " " << bad[1];
    }
}

TEST(InfrasoundCommand, WritesGWeightedLevelsAsCsvAndRecords) {
    test::TempDir dir;
    const std::string sdt = dir.file("infra.sdt");
    acoustics::testing::SdtRecordImage image;
    image.frames = acoustics::testing::tone(20.0, 2000.0, 4.0, std::sqrt(2.0));  // 1 Pa rms
    ASSERT_TRUE(acoustics::testing::writeSdt(sdt, 2000.0, 1, {image}));
    auto r = runCommand(K470_CLI, {"infrasound", "--csv", "--interval", "2", sdt});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[0][2], "row");
    bool seen = false;
    for (const auto& row : rows)
        if (row.size() > 3 && row[0] == "2.000" && row[2] == "G") {
            EXPECT_NEAR(std::stod(row[3]), 93.98 + 9.0, 0.15);  // ISO 7196: +9 dB at 20 Hz
            seen = true;
        }
    EXPECT_TRUE(seen);
    const std::string bin = dir.file("infra.bin");
    r = runCommand(K470_CLI, {"infrasound", "-o", bin, "--interval", "2", sdt});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runCommand(K470_CLI, {"export", "-o", "-", bin});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Infrasound meter"), std::string::npos);
}

}  // namespace
}  // namespace k470
