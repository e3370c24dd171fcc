// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "base/byte_order.h"
#include "signal/filter_library.h"
#include "signal/processor_preset.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::TempDir;

struct Bytes {
    std::vector<uint8_t> b;
    void u32(uint32_t v) {
        b.resize(b.size() + 4);
        writeU32(&b[b.size() - 4], v);
    }
    void f64(double v) {
        b.resize(b.size() + 8);
        writeF64(&b[b.size() - 8], v);
    }
    void name(std::u16string_view s) {
        const size_t at = b.size();
        b.resize(at + 256, 0);
        for (size_t i = 0; i < s.size(); ++i) writeU16(&b[at + 2 * i], s[i]);
    }
    void doubles(std::initializer_list<double> v) {
        u32(static_cast<uint32_t>(v.size()));
        for (double d : v) f64(d);
    }
};

// One library entry laid out field by field.
void entry(Bytes& f, uint32_t decimation, uint32_t order, std::u16string_view name,
           std::initializer_list<double> lowPass, std::initializer_list<double> b,
           std::initializer_list<double> a) {
    f.u32(decimation);
    f.u32(order);
    f.name(name);
    f.doubles(lowPass);
    f.doubles(b);
    f.doubles(a);
}

TEST(FilterLibrary, ReadsEntriesFieldByField) {
    TempDir dir;
    Bytes f;
    f.u32(2);
    entry(f, 2, 3, u"low 2", {0.25, 0.5, 0.25}, {1.0, -1.0}, {-0.5});
    entry(f, 1, 0, std::u16string(128, u'\x0441'), {}, {}, {});
    test::writeBytes(dir.file("a.slb"), f.b);
    FilterLibrary lib;
    ASSERT_TRUE(readFilterLibraryFile(dir.file("a.slb"), lib));
    ASSERT_EQ(lib.filters.size(), 2u);
    const FilterDefinition& d = lib.filters[0];
    EXPECT_EQ(d.decimation, 2u);
    EXPECT_EQ(d.order, 3u);
    EXPECT_EQ(d.name, u"low 2");
    EXPECT_EQ(d.lowPass, (std::vector<double>{0.25, 0.5, 0.25}));
    EXPECT_EQ(d.numerator, (std::vector<double>{1.0, -1.0}));
    EXPECT_EQ(d.denominator, (std::vector<double>{-0.5}));
    // The name's last byte is forced to 0: the 128th unit keeps only its low byte.
    EXPECT_EQ(lib.filters[1].name, std::u16string(127, u'\x0441') + u'\x41');
    EXPECT_EQ(lib.find(u"low 2"), 0);
    EXPECT_EQ(lib.find(u"LOW 2"), -1);
    EXPECT_EQ(lib.at(2), nullptr);
    EXPECT_EQ(lib.at(-1), nullptr);
}

TEST(FilterLibrary, DamagedFilesKeepTheWholeEntriesBeforeTheDamage) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> build;
        size_t kept;
    };
    const Case cases[] = {
        {"absurd_count.slb", [](Bytes& f) { f.u32(0xFFFFFFFF); }, 0},
        {"array_beyond_end.slb",
         [](Bytes& f) {
             f.u32(2);
             entry(f, 1, 0, u"ok", {}, {1.0}, {});
             f.u32(1);
             f.u32(0);
             f.name(u"bad");
             f.u32(0x20000000);  // 4 GB of coefficients in a file of a few hundred bytes
             f.f64(1.0);
             f.u32(0);
             f.u32(0);
         },
         1},
        {"cut_short.slb",
         [](Bytes& f) {
             f.u32(1);
             entry(f, 1, 0, u"x", {1.0}, {1.0}, {});
             f.b.resize(f.b.size() - 3);
         },
         0},
        {"absurd_delay.slb",
         [](Bytes& f) {
             f.u32(1);
             entry(f, 1, 0xFFFFFFF0u, u"late", {}, {1.0}, {});
         },
         0},
        {"empty.slb", [](Bytes&) {}, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Bytes f;
        c.build(f);
        test::writeBytes(dir.file(c.name), f.b);
        FilterLibrary lib;
        const Status s = readFilterLibraryFile(dir.file(c.name), lib);
        EXPECT_FALSE(s) << c.name;
        if (!s) {
            EXPECT_NE(s.error().message.find(c.name), std::string::npos) << s.error().message;
        }
        EXPECT_EQ(lib.filters.size(), c.kept) << c.name;
    }
}

TEST(FilterLibrary, FilesOfTheDirectoryInNameOrderWithIndicesAcrossThem) {
    TempDir dir;
    Bytes second, first, other;
    second.u32(2);
    entry(second, 1, 0, u"s1", {}, {1.0}, {});
    entry(second, 1, 0, u"s2", {}, {1.0}, {});
    first.u32(2);
    entry(first, 1, 0, u"f1", {}, {1.0}, {});
    entry(first, 1, 0, u"f2", {}, {1.0}, {});
    other.u32(1);
    entry(other, 1, 0, u"ignored", {}, {1.0}, {});
    test::writeBytes(dir.file("b.slb"), second.b);
    test::writeBytes(dir.file("A.SLB"), first.b);
    test::writeBytes(dir.file("c.slb.txt"), other.b);
    const FilterLibraryLoad load = loadFilterLibrary(dir.path());
    EXPECT_TRUE(load.problems.empty());
    ASSERT_EQ(load.library.filters.size(), 4u);
    EXPECT_EQ(load.library.find(u"f1"), 0);
    EXPECT_EQ(load.library.find(u"s2"), 3);
    EXPECT_TRUE(loadFilterLibrary(dir.file("missing")).library.filters.empty());
    // The library written by the encoder reads back the same.
    test::writeBytes(dir.file("round.slb"), encodeFilterLibrary(load.library.filters));
    FilterLibrary again;
    ASSERT_TRUE(readFilterLibraryFile(dir.file("round.slb"), again));
    EXPECT_EQ(again.filters.size(), 4u);
    EXPECT_EQ(again.filters[3].name, u"s2");
}

TEST(ProcessorPreset, LayoutOfOnePreset) {
    Bytes f;
    f.u32(1);
    for (uint8_t i = 1; i <= 8; ++i) f.b.push_back(i);  // extra
    f.u32(5);                                           // cut-off index
    f.name(u"fa");
    f.name(u"");
    f.name(u"fc");
    for (double v : {1e-6, 2e-5, 1e-3}) f.f64(v);  // base levels
    for (double v : {0.5, -0.5, 1.5}) f.f64(v);    // calibration offsets
    for (double v : {0.02, 0.1, 1.0}) f.f64(v);    // sensitivities
    f.name(u"m/c^2");
    f.name(u"Pa");
    f.name(u"mV");
    f.name(u"road test");
    f.u32(3);  // decimation
    for (int i = 1; i <= 9; ++i) f.f64(i);
    ASSERT_EQ(f.b.size(), 4 + kPresetSize);
    TempDir dir;
    test::writeBytes(dir.file(kPresetFileName), f.b);
    PresetLoad load = loadPresets(dir.file(kPresetFileName));
    EXPECT_FALSE(load.problem);
    ASSERT_EQ(load.presets.size(), 1u);
    const ProcessorPreset& p = load.presets[0];
    EXPECT_EQ(p.extra[7], 8);
    EXPECT_EQ(p.cutOffIndex, 5u);
    EXPECT_EQ(p.filterNames[0], u"fa");
    EXPECT_EQ(p.filterNames[1], u"");
    EXPECT_EQ(p.referenceValue[2], 1e-3);
    EXPECT_EQ(p.calibrationOffset[1], -0.5);
    EXPECT_EQ(p.sensitivity[0], 0.02);
    EXPECT_EQ(p.units[0], u"m/c^2");
    EXPECT_EQ(p.name, u"road test");
    EXPECT_EQ(p.decimation, 3u);
    EXPECT_EQ(p.matrix[1][2], 6.0);
    // Written back byte for byte.
    ASSERT_TRUE(savePresets(dir.file("again.dat"), load.presets));
    EXPECT_EQ(test::readBytes(dir.file("again.dat")), f.b);
}

TEST(ProcessorPreset, NamesOfAHundredAndTwentyEightUnitsAndMore) {
    TempDir dir;
    ProcessorPreset exact, longer;
    exact.name = std::u16string(128, u'x');
    longer.name = std::u16string(130, u'y');
    ASSERT_TRUE(savePresets(dir.file("p.dat"), {exact, longer}));
    const PresetLoad load = loadPresets(dir.file("p.dat"));
    ASSERT_EQ(load.presets.size(), 2u);
    EXPECT_EQ(load.presets[0].name, exact.name);
    EXPECT_EQ(load.presets[1].name, std::u16string(128, u'y'));
}

TEST(ProcessorPreset, CountsBeyondTheFileKeepThePresetsPresent) {
    TempDir dir;
    ProcessorPreset a;
    a.name = u"a";
    ASSERT_TRUE(savePresets(dir.file("p.dat"), {a, a}));
    std::vector<uint8_t> bytes = test::readBytes(dir.file("p.dat"));
    writeU32(bytes.data(), 0xFFFFFFFF);
    bytes.resize(bytes.size() - 10);  // the second preset is cut short
    test::writeBytes(dir.file("p.dat"), bytes);
    const PresetLoad load = loadPresets(dir.file("p.dat"));
    EXPECT_EQ(load.presets.size(), 1u);
    EXPECT_TRUE(load.problem);
    EXPECT_TRUE(loadPresets(dir.file("none.dat")).presets.empty());
    EXPECT_FALSE(loadPresets(dir.file("none.dat")).problem);
}

TEST(PresetApplication, TakesChannelsFiltersAndSizesTheRings) {
    FilterLibrary lib;
    FilterDefinition f1, f2;
    f1.name = u"late";
    f1.order = 7;
    f1.numerator.assign(5, 0.2);
    f1.lowPass.assign(700, 1.0 / 700);
    f2.name = u"echo";
    f2.order = 2;
    f2.numerator = {1.0};
    f2.denominator = {-0.5, 0.1};
    lib.filters = {f1, f2};
    ProcessorPreset p;
    p.name = u"two";
    p.filterNames = {u"echo", u"gone", u"late"};
    p.units = {u"V", u"A", u"W"};
    p.sensitivity = {2, 3, 4};
    p.calibrationOffset = {1, 2, 3};
    p.referenceValue = {1, 1, 1};
    p.matrix = {{{1, 0, 0}, {0, 0, 0}, {0.5, 0.5, 0}}};
    p.cutOffIndex = 4;
    p.decimation = 2;
    SignalState s;
    s.presetActive = true;
    s.presetName = "two";
    ProcessingChain chain;
    applyActivePreset(s, {p}, lib, chain);
    EXPECT_TRUE(s.presetActive);
    EXPECT_EQ(s.channels[0].filterIndex, 1);
    EXPECT_EQ(s.channels[1].filterIndex, -1);  // not in the library
    EXPECT_EQ(s.channels[2].filterIndex, 0);
    EXPECT_EQ(s.channels[1].units, "A");
    EXPECT_EQ(s.channels[2].sensitivity, 4.0);
    EXPECT_EQ(s.channels[2].matrixRow[1], 0.5);
    EXPECT_EQ(s.highPassStep, 4);
    EXPECT_EQ(s.decimation, 2);
    EXPECT_EQ(chain.alignmentDelay(), 7);
    EXPECT_EQ(chain.historyLength(), 5 + 1 + 7);
    EXPECT_EQ(chain.outputRingLength(), 701);

    // A preset name that no longer exists switches the preset off.
    s.presetName = "Two";
    applyActivePreset(s, {p}, lib, chain);
    EXPECT_FALSE(s.presetActive);
    EXPECT_EQ(s.decimation, 1);
    EXPECT_EQ(s.channels[0].filterIndex, -1);
    EXPECT_EQ(chain.historyLength(), 1);
    EXPECT_EQ(chain.outputRingLength(), 701);

    // The state as a preset reads back the same names.
    s.channels[2].filterIndex = 0;
    const ProcessorPreset back = presetFromState(s, lib, u"back");
    EXPECT_EQ(back.filterNames[2], u"late");
    EXPECT_EQ(back.filterNames[0], u"");
}

}  // namespace
}  // namespace k470

namespace k470 {
namespace {

TEST(BuiltinPresets, SimulatorReadsTheSimulatedCountsInPascalsAndIsNotSavedUnlessChanged) {
    std::vector<ProcessorPreset> presets;
    addBuiltinPresets(presets);
    addBuiltinPresets(presets);  // once only
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_TRUE(withoutBuiltinPresets(presets).empty());

    // Applied to the raw-signal instrument: 100,000 counts on channel 1 are 1 Pa; the status channels are off.
    SignalState s;
    s.presetActive = true;
    s.presetName = "simulator";
    FilterLibrary library;
    ProcessingChain chain;
    applyActivePreset(s, presets, library, chain);
    EXPECT_TRUE(s.presetActive);
    EXPECT_DOUBLE_EQ(100'000.0 * s.channels[0].sensitivity * s.channels[0].matrixRow[0], 1.0);
    EXPECT_EQ(s.channels[0].units, "Pa");
    EXPECT_EQ(s.channels[0].referenceValue, 2e-5);
    EXPECT_FALSE(channelEnabled(s.channels[1]));
    EXPECT_FALSE(channelEnabled(s.channels[2]));
    EXPECT_EQ(s.highPassStep, 0);
    EXPECT_EQ(s.decimation, 1);

    // A user's own preset of that name wins, and a changed built-in one is the user's to keep.
    std::vector<ProcessorPreset> own(1);
    own[0].name = u"simulator";
    own[0].decimation = 2;
    addBuiltinPresets(own);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].decimation, 2u);
    EXPECT_EQ(withoutBuiltinPresets(own).size(), 1u);
}

}  // namespace
}  // namespace k470
