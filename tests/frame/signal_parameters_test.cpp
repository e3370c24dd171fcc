// SPDX-License-Identifier: GPL-3.0-or-later
// "Signal parameters" without widgets: items, edits, presets, and what a confirmed or cancelled dialog
// leaves in the window's state and processing chain.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "base/text_encoding.h"
#include "frame/signal_parameters.h"

namespace k470::app {
namespace {

FilterDefinition filter(uint32_t decimation, std::u16string name, std::vector<double> b,
                        std::vector<double> a = {}, uint32_t order = 0) {
    FilterDefinition f;
    f.decimation = decimation;
    f.order = order;
    f.name = std::move(name);
    f.numerator = std::move(b);
    f.denominator = std::move(a);
    return f;
}

// Library indices: 0 "one A" (1), 1 "two" (2), 2 "one B" (1), 3 "six" (6).
FilterLibrary sampleLibrary() {
    FilterLibrary lib;
    lib.filters = {filter(1, u"one A", {1.0}), filter(2, u"two", {0.5, 0.5}, {}, 3),
                   filter(1, u"one B", {1.0}), filter(6, u"six", {1.0})};
    return lib;
}

ProcessorPreset preset(std::u16string name, uint32_t decimation, std::u16string filter0,
                       double sensitivity0) {
    ProcessorPreset p;
    p.name = std::move(name);
    p.decimation = decimation;
    p.cutOffIndex = 5;
    p.filterNames[0] = std::move(filter0);
    for (size_t k = 0; k < 3; ++k) {
        p.sensitivity[k] = sensitivity0 * static_cast<double>(k + 1);
        p.calibrationOffset[k] = 1.5;
        p.referenceValue[k] = 1e-06;
        p.units[k] = u"m/c^2";
        p.matrix[k][k] = 1.0;
    }
    return p;
}

class SignalParametersTest : public ::testing::Test {
  protected:
    SignalParametersTest() {
        for (SignalChannel& c : window.channels) c.sensitivity = 0.02;
        presets = {preset(u"Road", 2, u"two", 0.5), preset(u"Hall", 1, u"one B", 0.25)};
    }
    SignalParameters open(SignalParameters::Setup setup = {}) {
        return SignalParameters(window, presets, library, setup);
    }

    FilterLibrary library = sampleLibrary();
    SignalState window;
    std::vector<ProcessorPreset> presets;
    ProcessingChain chain;
};

TEST(SignalParametersItems, CutOffDecimationAndFilterItems) {
    EXPECT_EQ(CutOffItems({}),
              (std::vector<std::string>{"none", "0.125 Hz", "0.25 Hz", "0.5 Hz", "1 Hz", "2 Hz", "4 Hz",
                                        "8 Hz", "16 Hz", "32 Hz", "64 Hz", "128 Hz", "256 Hz", "512 Hz"}));
    SignalParametersWords ru{"нет", "Гц", "децимация", "?"};
    EXPECT_EQ(CutOffItems(ru)[0], "нет");
    EXPECT_EQ(CutOffItems(ru)[13], "512 Гц");

    const FilterLibrary lib = sampleLibrary();
    EXPECT_EQ(BaseDecimations(lib), (std::vector<int>{1, 2, 3, 4, 6}));
    EXPECT_EQ(BaseDecimations({}), (std::vector<int>{1, 2, 3, 4}));

    struct Case {
        int decimation;
        std::vector<std::string> texts;
        std::vector<int> indices;
    };
    for (const Case& c : {Case{1, {"decimation 1", "one A", "one B"}, {-1, 0, 2}},
                          Case{2, {"decimation 2", "two"}, {-1, 1}}, Case{4, {"decimation 4"}, {-1}}}) {
        const auto items = FilterItems(lib, c.decimation, {});
        std::vector<std::string> texts;
        std::vector<int> indices;
        for (const FilterItem& i : items) {
            texts.push_back(i.text);
            indices.push_back(i.libraryIndex);
        }
        EXPECT_EQ(texts, c.texts) << c.decimation;
        EXPECT_EQ(indices, c.indices) << c.decimation;
    }
    EXPECT_EQ(FilterItems(lib, 3, ru)[0].text, "децимация 3");

    for (auto [text, want] : {std::pair{"6", 6}, {"0", 1}, {"-2", 1}, {"x", 1}, {"3", 3}})
        EXPECT_EQ(ParseDecimation(text), want) << text;
}

TEST(SignalParametersItems, RowNormalising) {
    struct Case {
        std::array<double, 3> row, want;
    };
    for (const Case& c :
         {Case{{3, 4, 0}, {0.6, 0.8, 0}}, Case{{0, 0, 0}, {0, 0, 0}}, Case{{0, -2, 0}, {0, -1, 0}},
          Case{{1, 1, 1}, {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)}}}) {
        const auto got = NormalisedRow(c.row);
        for (size_t j = 0; j < 3; ++j) EXPECT_NEAR(got[j], c.want[j], 1e-15) << j;
    }
}

TEST(SignalParametersItems, ResponseInDecibelsUpToHalfTheDecimatedRate) {
    // Two-point average: |H| = |cos(omega / 2)|. At decimation 2 the last point is a quarter of the input
    // rate, omega = pi/2, |H| = cos(pi/4): -3.0103 dB; at decimation 1 it is the zero at omega = pi.
    const FilterDefinition average = filter(2, u"avg", {0.5, 0.5});
    const ResponseCurve two = FilterResponseCurve(average, 1000.0, 2);
    ASSERT_EQ(two.decibels.size(), 10000u);
    EXPECT_DOUBLE_EQ(two.frequencyStep, 250.0 / 9999);
    EXPECT_NEAR(two.decibels.front(), 0.0, 1e-12);
    EXPECT_NEAR(two.decibels.back(), 20 * std::log10(std::cos(std::numbers::pi / 4)), 1e-9);
    // Point 4999.5 of 9999 would be 125 Hz; point 5000 lies a step above.
    const double omega = std::numbers::pi * 5000 / 9999 / 2;
    EXPECT_NEAR(two.decibels[5000], 20 * std::log10(std::cos(omega / 2)), 1e-9);
    const ResponseCurve one = FilterResponseCurve(average, 1000.0, 1);
    EXPECT_EQ(one.decibels.back(), kResponseFloorDb);
    // y[n] = x[n] + 0.5 y[n-1]: the gain at 0 Hz is 1 / (1 - 0.5) = 2, +6.02 dB; at half the rate 2/3.
    const ResponseCurve recursive = FilterResponseCurve(filter(1, u"r", {1.0}, {-0.5}), 48000.0, 1);
    EXPECT_NEAR(recursive.decibels.front(), 20 * std::log10(2.0), 1e-9);
    EXPECT_NEAR(recursive.decibels.back(), 20 * std::log10(2.0 / 3.0), 1e-9);
}

TEST_F(SignalParametersTest, OpensOnTheWindowsValuesAndShowsTheSensitivityAsItsReciprocal) {
    window.channels[1].calibrationOffset = -2.5;
    window.channels[1].matrixRow = {0.25, 1, 0};
    window.channels[2].referenceValue = 1e-06;
    window.channels[2].units = "mV";
    window.highPassStep = 3;
    window.decimation = 2;
    window.channels[0].filterIndex = 1;
    SignalParameters d = open();
    EXPECT_EQ(d.texts(0).sensitivity, "50");
    EXPECT_EQ(d.texts(1).calibrationOffset, "-2.5");
    EXPECT_EQ(d.texts(1).matrix, (std::array<std::string, 3>{"0.25", "1", "0"}));
    EXPECT_EQ(d.texts(2).referenceValue, "1e-06");
    EXPECT_EQ(d.texts(2).units, "mV");
    EXPECT_EQ(d.cutOffSelection(), 3);
    EXPECT_EQ(d.decimationItems(), (std::vector<std::string>{"1", "2", "3", "4", "6"}));
    EXPECT_EQ(d.decimationSelection(), 1);
    EXPECT_EQ(d.filterSelection(0), 1);
    EXPECT_EQ(d.filterSelection(1), 0);
    EXPECT_FALSE(d.processed());  // no preset active
    EXPECT_FALSE(d.channelControlsEnabled());
    EXPECT_EQ(d.presetSelection(), -1);
    EXPECT_FALSE(d.processEnabled());
    EXPECT_FALSE(d.replaySpeedEnabled());
    EXPECT_TRUE(d.cutOffEnabled());

    // In replay mode the cut-off shows no selection and the calibration is not edited.
    window.presetActive = true;
    window.presetName = "Hall";
    SignalParameters r = open({10, true, false});
    EXPECT_EQ(r.cutOffSelection(), -1);
    EXPECT_FALSE(r.cutOffEnabled());
    EXPECT_TRUE(r.processEnabled());
    EXPECT_TRUE(r.processed());
    EXPECT_EQ(r.presetSelection(), 1);
    EXPECT_TRUE(r.channelControlsEnabled());
    EXPECT_FALSE(r.calibrationEditable());
    EXPECT_EQ(r.replaySpeed(), 10);
    // A one-channel instrument offers the first matrix column only.
    EXPECT_TRUE(r.matrixEditable(2, 0));
    EXPECT_FALSE(r.matrixEditable(0, 1));
    EXPECT_TRUE(open({1, false, true}).matrixEditable(0, 2));
}

TEST_F(SignalParametersTest, SensitivityIsStoredAsTheReciprocalOnlyWhenAboveZero) {
    struct Case {
        const char* shown;
        double stored;
    };
    for (const Case& c :
         {Case{"50", 0.02}, Case{"4", 0.25}, Case{"0", 0.02}, Case{"-3", 0.02}, Case{"abc", 0.02}}) {
        SignalParameters d = open();
        d.texts(0).sensitivity = c.shown;
        ASSERT_FALSE(d.Confirm());
        EXPECT_DOUBLE_EQ(d.state().channels[0].sensitivity, c.stored) << c.shown;
    }
    // A value that is not a number keeps the old one; the others are taken as read.
    SignalParameters d = open();
    d.texts(1).calibrationOffset = "x";
    d.texts(1).referenceValue = " 0.5";
    d.texts(1).matrix[2] = "-1e3";
    d.texts(1).units = "g";
    ASSERT_FALSE(d.Confirm());
    EXPECT_EQ(d.state().channels[1].calibrationOffset, 0.0);
    EXPECT_EQ(d.state().channels[1].referenceValue, 0.5);
    EXPECT_EQ(d.state().channels[1].matrixRow[2], -1000.0);
    EXPECT_EQ(d.state().channels[1].units, "g");

    // Reopened on what the dialog left, it shows 50 again.
    window = d.state();
    EXPECT_EQ(open().texts(0).sensitivity, "50");
}

TEST_F(SignalParametersTest, DecimationChoosesTheFiltersOffered) {
    window.decimation = 2;
    window.channels[0].filterIndex = 1;  // "two"
    window.channels[2].filterIndex = 1;
    SignalParameters d = open();
    EXPECT_EQ(d.filterItems().size(), 2u);
    d.selectDecimation("1");
    EXPECT_EQ(d.decimation(), 1);
    ASSERT_EQ(d.filterItems().size(), 3u);
    EXPECT_EQ(d.filterItems()[2].text, "one B");
    // The filter of the other decimation is gone: the channels fall back to the first item.
    for (int k : {0, 2}) {
        EXPECT_EQ(d.filterSelection(k), 0);
        EXPECT_EQ(d.state().channels[static_cast<size_t>(k)].filterIndex, -1);
    }
    d.selectFilter(1, 2);
    EXPECT_EQ(d.state().channels[1].filterIndex, 2);
    ASSERT_TRUE(d.Response(1));
    EXPECT_EQ(d.Response(1)->decibels.size(), 10000u);
    EXPECT_FALSE(d.Response(0));  // the built-in filter has no response to show
    d.selectDecimation("6");
    EXPECT_EQ(d.filterItems()[0].text, "decimation 6");
    EXPECT_EQ(d.filterSelection(1), 0);
}

TEST_F(SignalParametersTest, RowButtonNormalisesTheTypedRowAndLeavesAZeroRow) {
    SignalParameters d = open();
    d.texts(0).matrix = {"3", "4", "0"};
    d.NormaliseRow(0);
    EXPECT_EQ(d.texts(0).matrix, (std::array<std::string, 3>{"0.6", "0.8", "0"}));
    d.texts(1).matrix = {"0", "0.0", "-0"};
    d.NormaliseRow(1);
    EXPECT_EQ(d.texts(1).matrix, (std::array<std::string, 3>{"0", "0.0", "-0"}));
}

TEST_F(SignalParametersTest, OriginalSignalReloadsTheWindowAndProcessedLoadsThePreset) {
    window.presetActive = true;
    window.presetName = "Road";
    SignalParameters d = open();
    EXPECT_EQ(d.presetSelection(), 0);

    SignalState now;  // what the window holds with preset processing switched off
    now.channels[0].sensitivity = 0.1;
    now.channels[0].units = "m/c^2";
    d.ChooseOriginal(now);
    EXPECT_FALSE(d.channelControlsEnabled());
    EXPECT_FALSE(d.presetControlsEnabled());
    EXPECT_EQ(d.decimation(), 1);
    EXPECT_EQ(d.cutOffSelection(), 1);
    EXPECT_EQ(d.filterItems()[0].text, "decimation 1");
    EXPECT_EQ(d.texts(0).sensitivity, "10");
    EXPECT_EQ(d.texts(0).units, "m/c^2");
    // Selecting a preset while the original signal is chosen loads nothing.
    d.selectPreset(1);
    EXPECT_EQ(d.texts(0).sensitivity, "10");

    d.ChooseProcessed();  // loads "Hall"
    EXPECT_TRUE(d.channelControlsEnabled());
    EXPECT_EQ(d.decimation(), 1);
    EXPECT_EQ(d.cutOffSelection(), 5);
    EXPECT_EQ(d.texts(0).sensitivity, "4");
    EXPECT_EQ(d.texts(1).sensitivity, "2");
    EXPECT_EQ(d.texts(2).calibrationOffset, "1.5");
    EXPECT_EQ(d.texts(2).matrix, (std::array<std::string, 3>{"0", "0", "1"}));
    EXPECT_EQ(d.filterItems()[d.filterSelection(0)].text, "one B");
    d.selectPreset(0);  // "Road": decimation 2 and its filter
    EXPECT_EQ(d.decimationSelection(), 1);
    EXPECT_EQ(d.filterItems()[d.filterSelection(0)].text, "two");
    EXPECT_EQ(d.texts(0).sensitivity, "2");
}

TEST_F(SignalParametersTest, PresetsAreAddedReplacedOnlyOnYesAndDeleted) {
    SignalParameters d = open();
    d.texts(0).sensitivity = "8";
    int asked = 0;
    auto no = [&] { return ++asked, false; };
    auto yes = [&] { return ++asked, true; };

    EXPECT_EQ(d.AddPreset("Road", no), SignalParameters::AddResult::Declined);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(d.presets().size(), 2u);
    EXPECT_EQ(d.presets()[0].sensitivity[0], 0.5);  // nothing stored
    EXPECT_EQ(d.presetSelection(), -1);

    EXPECT_EQ(d.AddPreset("New", no), SignalParameters::AddResult::Added);
    EXPECT_EQ(asked, 1);  // a new name asks nothing
    ASSERT_EQ(d.presets().size(), 3u);
    EXPECT_EQ(d.presetNames()[2], "New");
    EXPECT_EQ(d.presetSelection(), 2);
    EXPECT_EQ(d.presets()[2].sensitivity[0], 0.125);

    presets[0].extra[3] = 7;
    SignalParameters e = open();
    e.texts(1).units = "V";
    EXPECT_EQ(e.AddPreset("Road", yes), SignalParameters::AddResult::Replaced);
    ASSERT_EQ(e.presets().size(), 2u);
    EXPECT_EQ(e.presets()[0].units[1], u"V");
    EXPECT_EQ(e.presets()[0].extra[3], 7);  // the value kept with the preset stays
    EXPECT_EQ(e.presetSelection(), 0);
    EXPECT_EQ(e.AddPreset("", yes), SignalParameters::AddResult::NoName);

    // A name longer than a preset keeps is stored cut, as it would come back from the file.
    EXPECT_EQ(e.AddPreset(std::string(130, 'n'), yes), SignalParameters::AddResult::Added);
    EXPECT_EQ(e.presets().back().name.size(), 128u);

    e.selectPreset(0);
    e.DeletePreset();
    EXPECT_EQ(e.presetNames(), (std::vector<std::string>{"Hall", std::string(128, 'n')}));
    EXPECT_EQ(e.presetSelection(), -1);
}

TEST_F(SignalParametersTest, ProcessedSignalNeedsANamedPresetWhichTakesTheValues) {
    SignalParameters d = open();
    d.ChooseProcessed();
    EXPECT_EQ(d.Confirm(), std::optional<std::string>("Select processor name"));
    presets.push_back(preset(u"", 1, u"", 1.0));
    SignalParameters unnamed = open();
    unnamed.ChooseProcessed();
    unnamed.selectPreset(2);
    EXPECT_EQ(unnamed.Confirm(), std::optional<std::string>("Select processor name"));

    d.selectPreset(1);
    d.texts(2).units = "kPa";
    d.selectCutOff(7);
    EXPECT_EQ(d.Confirm(), std::nullopt);
    EXPECT_TRUE(d.state().presetActive);
    EXPECT_EQ(d.state().presetName, "Hall");
    EXPECT_EQ(d.presets()[1].units[2], u"kPa");
    EXPECT_EQ(d.presets()[1].cutOffIndex, 7u);
}

TEST_F(SignalParametersTest, ConfirmedValuesReachTheWindowChainAndChannelSetUp) {
    SignalParameters d = open({1, true, true});
    d.ChooseProcessed();
    ASSERT_EQ(d.AddPreset("Two", {}), SignalParameters::AddResult::Added);
    d.selectDecimation("2");
    d.selectFilter(0, 1);  // "two": delay 3, two numerator taps
    d.texts(1).sensitivity = "50";
    d.setReplaySpeed(100);
    ASSERT_EQ(d.Confirm(), std::nullopt);

    int speed = 1;
    // A recording of the instrument's raw counts, which the preset acts on.
    SdtHeader header;
    header.sampleRate = 24000;
    header.channelMask = 0x7;
    header.channelCount = 3;
    header.units = {u"counts", u"counts", u"counts"};
    header.referenceValue = {1.0, 1.0, 1.0};
    ChannelSetupSource setup;
    setup.replayedFile = &header;
    ApplySignalParameters(d, window, presets, speed, library, chain, setup);
    EXPECT_EQ(speed, 100);
    EXPECT_TRUE(window.presetActive);
    EXPECT_EQ(window.presetName, "Two");
    EXPECT_EQ(window.decimation, 2);
    EXPECT_EQ(window.channels[0].filterIndex, 1);
    EXPECT_DOUBLE_EQ(window.channels[1].sensitivity, 0.02);
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[2].filterNames[0], u"two");
    // The preset was applied: the chain's rings sized from the filter and its settings taken.
    EXPECT_EQ(chain.alignmentDelay(), 3);
    EXPECT_EQ(chain.historyLength(), 2 + 1 + 3);
    EXPECT_EQ(chain.decimation(), 2);
    EXPECT_FALSE(window.channels[0].label.empty());
}

TEST_F(SignalParametersTest, CancelRestoresThePresetSwitchAndKeepsTheWindowsValues) {
    window.presetActive = true;
    window.presetName = "Road";
    SignalParameters d = open();
    window.presetActive = false;  // switched off while the dialog is open
    d.texts(0).sensitivity = "1000";
    d.selectDecimation("1");
    ASSERT_EQ(d.AddPreset("Extra", {}), SignalParameters::AddResult::Added);
    RestoreSignalParameters(d, true, window, presets, library, chain, ChannelSetupSource{});
    EXPECT_TRUE(window.presetActive);
    EXPECT_EQ(window.presetName, "Road");
    // The active preset applied again: its decimation, filter and sensitivities.
    EXPECT_EQ(window.decimation, 2);
    EXPECT_EQ(window.channels[0].filterIndex, 1);
    EXPECT_DOUBLE_EQ(window.channels[0].sensitivity, 0.5);
    EXPECT_EQ(chain.alignmentDelay(), 3);
    // A preset added in the dialog stays.
    EXPECT_EQ(presets.size(), 3u);

    // A preset switch that was off stays off: the channel set-up's defaults apply.
    window.presetActive = false;
    RestoreSignalParameters(open(), false, window, presets, library, chain, ChannelSetupSource{});
    EXPECT_FALSE(window.presetActive);
    EXPECT_EQ(window.channels[0].filterIndex, -1);
}

TEST(SignalParametersSetup, InstrumentQuantitiesComeFromTheRecordAndTheReplayedFile) {
    MeasurementRecord record;
    record.tail.rangeIndex = 2;
    record.trailer.calibrationOffset = {1.0, 2.0, 3.0};
    const ChannelSetupSource s = ChannelSetupSourceOf(3, &record, nullptr);
    EXPECT_EQ(s.deviceType, 3);
    EXPECT_EQ(s.rangeIndex, 2);
    EXPECT_EQ(s.deviceCalibrationOffset, 1.0);
    EXPECT_EQ(s.channelCalibrationOffsets[2], 3.0);
    EXPECT_EQ(s.replayedFile, nullptr);
    const ChannelSetupSource none = ChannelSetupSourceOf(0, nullptr, nullptr);
    EXPECT_EQ(none.rangeIndex, 0);
    EXPECT_EQ(none.deviceCalibrationOffset, 0.0);
}

}  // namespace
}  // namespace k470::app
