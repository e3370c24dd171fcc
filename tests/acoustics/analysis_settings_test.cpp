// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings file says about sound files ([SoundFile]) and the FFT page ([FFT]), edited by hand:
// a value that is not one the program can use is taken as not given.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "acoustics/fft_settings.h"
#include "acoustics/sound_file_settings.h"
#include "support/temp_dir.h"

namespace k470::acoustics {
namespace {

SettingsStore storeOf(const test::TempDir& dir, const std::string& text) {
    const std::string path = dir.file("k470.ini");
    test::writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    return SettingsStore(path);
}

TEST(SoundFileSettings, AScaleMakesPascalsAndAnythingOutsideTheScalesRangeIsNoScale) {
    const struct {
        const char* text;
        std::optional<double> scale;
    } cases[] = {
        {"Scale=2.5", 2.5},
        {"Scale=1e-3", 1e-3},
        {"Scale=0", std::nullopt},
        {"Scale=-2", std::nullopt},
        {"Scale=nan", std::nullopt},
        {"Scale=inf", std::nullopt},
        {"Scale=1e999", std::nullopt},
        {"Scale=1e10", std::nullopt},
        {"Scale=two", std::nullopt},
        {"Scale=", std::nullopt},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const SettingsStore store = storeOf(dir, std::string("[soundfile]\r\n") + c.text + "\r\nUnits=V\r\n");
        const SoundAsSignalOptions o = LoadSoundFileOptions(store);
        const SignalInputOptions analysis = SoundFileInputOptions(store, "take.FLAC");
        EXPECT_EQ(analysis.scale, c.scale);
        EXPECT_FALSE(SoundFileInputOptions(store, "take.sdt").scale) << "a .sdt file has its own scale";
        if (c.scale) {
            EXPECT_EQ(o.scale, *c.scale);
            EXPECT_EQ(o.units, "Pa");
            EXPECT_EQ(o.referenceValue, 2e-5);
        } else {
            EXPECT_EQ(o.scale, 1.0);
            EXPECT_EQ(o.units, "V");
        }
    }
}

TEST(SoundFileSettings, UnitsAndReferenceWithoutAScale) {
    test::TempDir dir;
    SoundAsSignalOptions o = LoadSoundFileOptions(storeOf(dir, "[SoundFile]\nUnits=m/c^2\nReference=1e-6\n"));
    EXPECT_EQ(o.units, "m/c^2");
    EXPECT_EQ(o.referenceValue, 1e-6);
    o = LoadSoundFileOptions(storeOf(dir, "[SoundFile]\nUnits=\nReference=1e7\n"));
    EXPECT_EQ(o.units, "FS");
    EXPECT_EQ(o.referenceValue, 1.0);
}

TEST(FftSettings, AValueThatIsNoneOfTheChoicesLeavesTheDefault) {
    const FftChoices defaults;
    const struct {
        const char* text;
        size_t size;
        FftWindow window;
        double overlap;
        SpectrumAveraging averaging;
        bool log;
    } cases[] = {
        {"Size=256\nWindow=0\nOverlap=0\nAveraging=2\nLogFrequency=0", 256, FftWindow::Rectangular, 0.0,
         SpectrumAveraging::MaxHold, false},
        {"Size=65536\nWindow=3\nOverlap=90\nAveraging=1", 65536, FftWindow::BlackmanHarris, 90.0,
         SpectrumAveraging::Exponential, true},
        // Not a power of two, beyond the range, not a listed overlap, no such window or averaging.
        {"Size=1000\nWindow=4\nOverlap=33\nAveraging=3", 8192, FftWindow::Hann, 50.0,
         SpectrumAveraging::Linear, true},
        {"Size=131072\nWindow=-1\nOverlap=95\nAveraging=-1", 8192, FftWindow::Hann, 50.0,
         SpectrumAveraging::Linear, true},
        {"Size=128\nOverlap=-25", 8192, FftWindow::Hann, 50.0, SpectrumAveraging::Linear, true},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SettingsStore store = storeOf(dir, std::string("[FFT]\n") + c.text + "\n");
        const FftChoices read = ReadFftChoices(store);
        EXPECT_EQ(read.parameters.size, c.size);
        EXPECT_EQ(read.parameters.window, c.window);
        EXPECT_EQ(read.parameters.overlapPercent, c.overlap);
        EXPECT_EQ(read.parameters.averaging, c.averaging);
        EXPECT_EQ(read.logFrequency, c.log);
        EXPECT_TRUE(checkFftParameters(read.parameters));
        WriteFftChoices(store, read);
        EXPECT_EQ(ReadFftChoices(SettingsStore(dir.file("k470.ini"))), read) << "saved and read again";
    }
    EXPECT_EQ(ReadFftChoices(storeOf(dir, "")), defaults);
}

}  // namespace
}  // namespace k470::acoustics
