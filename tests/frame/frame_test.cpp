// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's behaviour without widgets: settings, recent files, window placement, command states
// and opening sources.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "frame/application_state.h"
#include "frame/frame_settings.h"
#include "frame/recent_file_list.h"
#include "frame/record_file_source.h"
#include "frame/window_placement.h"
#include "signal/filter_library.h"
#include "signal/processor_preset.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

using test::readText;
using test::TempDir;

void writeText(const std::string& path, const std::string& text) {
    test::writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(SettingsStore, ReadsWindowsFilesInAnyCaseAndFallsBackOnBadValues) {
    TempDir dir;
    const std::string path = dir.file("k470.ini");
    writeText(path,
              "[init]\r\nlanguage=z_ru.qm\r\n"
              "[K470DLG]\r\nLEFT=12\r\nTop= 34 \r\nRight=abc\r\nBottom=12x\r\nbLin=99999999999\r\n"
              "Doc1=/home/u/a b.bin\r\n");
    const SettingsStore store(path);
    EXPECT_EQ(store.ReadString("Init", "Language", ""), "z_ru.qm");
    EXPECT_EQ(store.ReadInt("K470Dlg", "Left", 0), 12);
    EXPECT_EQ(store.ReadInt("K470Dlg", "Top", 0), 34);
    EXPECT_EQ(store.ReadInt("K470Dlg", "Right", 740), 740);  // not a number
    EXPECT_EQ(store.ReadInt("K470Dlg", "Bottom", 445), 12);  // the leading number counts
    EXPECT_EQ(store.ReadInt("K470Dlg", "bLin", 0), 0);       // does not fit an int
    EXPECT_EQ(store.ReadString("k470dlg", "doc1", ""), "/home/u/a b.bin");
    EXPECT_EQ(store.ReadInt("K470Dlg", "Missing", -1), -1);
    EXPECT_EQ(store.ReadString("NoSection", "Left", "d"), "d");
    EXPECT_EQ(SettingsStore(dir.file("absent.ini")).ReadInt("K470Dlg", "Left", 7), 7);
}

TEST(SettingsStore, WritesKeepOtherLinesAndTheLineEnds) {
    TempDir dir;
    const std::string path = dir.file("k470.ini");
    writeText(path, "; comment\r\n[Init]\r\nLanguage=x\r\n\r\n[Other]\r\nA=1\r\n");
    SettingsStore store(path);
    ASSERT_TRUE(store.WriteString("INIT", "language", "y"));
    ASSERT_TRUE(store.WriteInt("Init", "AType", 1));
    ASSERT_TRUE(store.WriteInt("New", "B", -2));
    EXPECT_EQ(readText(path),
              "; comment\r\n[Init]\r\nLanguage=y\r\nAType=1\r\n\r\n[Other]\r\nA=1\r\n\r\n[New]\r\nB=-2\r\n");
    // Written afresh, the file and its directory are created; a second store sees the value at once.
    SettingsStore fresh(dir.file("config/k470/k470.ini"));
    ASSERT_TRUE(fresh.WriteString("K470Dlg", "Doc1", ""));
    EXPECT_EQ(readText(dir.file("config/k470/k470.ini")), "[K470Dlg]\nDoc1=\n");
    EXPECT_EQ(SettingsStore(fresh.path()).ReadString("K470Dlg", "Doc1", "default"), "");
    // A value with a line break would come back as two lines: refused.
    EXPECT_FALSE(fresh.WriteString("K470Dlg", "Doc2", "a\nb"));
    EXPECT_FALSE(SettingsStore(dir.file("k470.ini/not-a-dir/x.ini")).WriteInt("A", "B", 1));
}

TEST(SettingsStore, DefaultPathFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(SettingsStore::defaultPath(), "/tmp/cfg/k470/k470.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_NE(SettingsStore::defaultPath().find("/.config/k470/k470.ini"), std::string::npos);
    if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(FrameSettings, DefaultsAndRoundTripWithTheReplayPresetKey) {
    TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    FrameSettings d = FrameSettings::Load(store, false);
    EXPECT_FALSE(d.linear);
    EXPECT_EQ(d.window.right, 740);
    EXPECT_EQ(d.window.bottom, 445);
    EXPECT_EQ(d.cutOffIndex, 1);
    EXPECT_EQ(d.decimation, 1);
    EXPECT_EQ(d.customFilter, (std::array<int, 3>{-1, -1, -1}));
    EXPECT_FALSE(d.presetActive);

    d.linear = true;
    d.window = {10, 20, 900, 700};
    d.customFilter = {2, -1, 0};
    d.presetActive = true;
    d.presetName = "Replay preset";
    d.Save(store, true);
    EXPECT_EQ(store.ReadString("Signal", "ReplayProcName", "-"), "Replay preset");
    EXPECT_EQ(store.ReadString("Signal", "ProcName", "-"), "-");
    FrameSettings back = FrameSettings::Load(store, true);
    EXPECT_TRUE(back.linear);
    EXPECT_EQ(back.window.right, 900);
    EXPECT_EQ(back.customFilter, d.customFilter);
    EXPECT_EQ(back.presetName, "Replay preset");
    EXPECT_EQ(FrameSettings::Load(store, false).presetName, "");
}

TEST(FrameSettings, OtherPartsKeysWithTheirDefaultsAndFormats) {
    TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    const TeleSettings tele = TeleSettings::Load(store);
    EXPECT_EQ(tele.adapterKind, 0);
    EXPECT_EQ(tele.adapterAddress, keys::kDefaultIp1);
    EXPECT_EQ(tele.deviceAddress, keys::kDefaultIp2);
    LevelAxisBounds bounds = LevelAxisBounds::Load(store);
    EXPECT_DOUBLE_EQ(bounds.upper, 150.0);
    EXPECT_DOUBLE_EQ(bounds.lower, 0.0);
    bounds.upper = 123.456;
    bounds.lower = -0.000123456;
    bounds.Save(store);
    EXPECT_EQ(store.ReadString("Multi", "UpperBound", ""), "123");  // "%.3lg"
    EXPECT_EQ(store.ReadString("Multi", "LowerBound", ""), "-0.000123");
    store.WriteString("Multi", "UpperBound", "high");
    EXPECT_DOUBLE_EQ(LevelAxisBounds::Load(store).upper, 150.0);
    PercentileEntries p;
    p.entries[5] = "99.9";
    p.Save(store);
    EXPECT_EQ(store.ReadString("Histo", "Pr5", ""), "99.9");
    EXPECT_EQ(store.ReadString("Histo", "Pr0", "-"), "");
    EXPECT_EQ(PercentileEntries::Load(store).entries[5], "99.9");
}

TEST(RecentFileList, SkipsEmptyKeysAndWritesBackCompacted) {
    TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    store.WriteString("K470Dlg", "Doc1", "/a.bin");
    store.WriteString("K470Dlg", "Doc2", "");
    store.WriteString("K470Dlg", "Doc3", "/c.sdt");
    RecentFileList list;
    list.Load(store);
    ASSERT_EQ(list.entries(), (std::vector<std::string>{"/a.bin", "/c.sdt"}));
    EXPECT_EQ(list.MenuText(1), "/c.sdt");
    EXPECT_EQ(list.MenuText(2), "-");
    EXPECT_EQ(list.FileAt(1), "/c.sdt");
    EXPECT_FALSE(list.FileAt(2));  // a "-" item does nothing
    EXPECT_FALSE(list.FileAt(-1));
    list.Save(store);
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc1", "-"), "/a.bin");
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc2", "-"), "/c.sdt");
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc3", "-"), "");
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc4", "-"), "");
}

TEST(RecentFileList, NewestFirstWithoutDuplicatesAndAtMostFour) {
    RecentFileList list;
    for (const char* p : {"/1", "/2", "/3", "/4", "/2", "/5"}) list.Add(p);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/5", "/2", "/4", "/3"}));
}

TEST(WindowPlacement, MinimumSizeDesktopPlaceAndStableRoundTrip) {
    const WindowGeometry current{50, 60, 800, 500};
    // First start: (0, 0) with the minimum size less one pixel each way.
    EXPECT_EQ(PlaceMainWindow(kDefaultWindowRect, current), (WindowGeometry{0, 0, 739, 444}));
    // Narrow and low: widened to the minimum.
    EXPECT_EQ(PlaceMainWindow({100, 80, 300, 200}, current), (WindowGeometry{100, 80, 739, 444}));
    EXPECT_EQ(PlaceMainWindow({100, 80, 1101, 881}, current), (WindowGeometry{100, 80, 1000, 800}));
    // A negative corner keeps the place the desktop chose.
    EXPECT_EQ(PlaceMainWindow({-5, 80, 1000, 900}, current), current);
    EXPECT_EQ(PlaceMainWindow({5, -1, 1000, 900}, current), current);
    EXPECT_EQ(PlaceMainWindow({0, 0, 2147483647, 445}, current), current);
    // Stored and restored, a window keeps its size instead of shrinking a pixel per run.
    const WindowGeometry g{30, 40, 1000, 700};
    EXPECT_EQ(PlaceMainWindow(StoredRect(g), current), g);
}

// A .bin file of sample records of the sound level meter (type 3).
std::string writeSampleBin(const std::string& path, int records) {
    for (int i = 0; i < records; ++i) {
        auto r = makeSampleRecord({3, 0x00A1B2C3, 1, i});
        EXPECT_TRUE(r.ok());
        if (i == 0) {
            EXPECT_TRUE(WriteSingleRecordFile(path, *r, CalendarTime{2024, 5, 6, 7, 8, 10}).ok());
        } else {
            RecordBytes bytes = stampedRecordBytes(*r, CalendarTime{2024, 5, 6, 7, 8, 10});
            std::vector<uint8_t> all = test::readBytes(path);
            all.insert(all.end(), bytes.begin(), bytes.end());
            test::writeBytes(path, all);
        }
    }
    return path;
}

TEST(RecordFileSource, OpensARecordFileWhateverTheCaseOfItsName) {
    TempDir dir;
    const std::string path = writeSampleBin(dir.file("LEVELS.BIN"), 3);
    std::string title;
    auto source = RecordFileSource::Open(path, title);
    ASSERT_TRUE(source.ok());
    EXPECT_EQ(source->title(), path + " (Sound level and spectrum meter, VIN: 00A1B2C3)");
    EXPECT_EQ(title, source->title());
    EXPECT_EQ(source->count(), 3);
    EXPECT_EQ(source->current(), 1);
    // Records outside the file change nothing.
    for (int k : {0, 4, -1}) EXPECT_FALSE(source->GoToRecord(k).ok()) << k;
    EXPECT_EQ(source->current(), 1);
    ASSERT_TRUE(source->GoToRecord(3).ok());
    EXPECT_EQ(source->current(), 3);
    EXPECT_EQ(source->record().header.vin, 0x00A1B2C3u);
}

TEST(RecordFileSource, FailuresNameTheFile) {
    TempDir dir;
    std::string title;
    const std::string missing = dir.file("missing.bin");
    auto s = RecordFileSource::Open(missing, title);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().message, "Can't open file '" + missing + "'");
    EXPECT_EQ(title, "");

    // A record of type 0 (no layout), built byte by byte: VIN at offset 14, type at 18.
    std::vector<uint8_t> bytes(kRecordSize, 0);
    bytes[14] = 0x78, bytes[15] = 0x56, bytes[16] = 0x34, bytes[17] = 0x12;
    const std::string unknown = dir.file("unknown.bin");
    test::writeBytes(unknown, bytes);
    s = RecordFileSource::Open(unknown, title);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().message, "Unknown file format");
    EXPECT_EQ(title, unknown + " (Unknown type, VIN: 12345678)");  // the title names it all the same

    // Shorter than one record: nothing to show.
    test::writeBytes(dir.file("short.bin"), std::vector<uint8_t>(100, 0));
    EXPECT_FALSE(RecordFileSource::Open(dir.file("short.bin"), title).ok());
}

TEST(ApplicationState, ShutdownWritesThePlaceAndTheSignalSettings) {
    TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    ApplicationState frame(store, dir.path());
    frame.Initialise();
    frame.Shutdown(StoredRect({10, 20, 800, 500}));
    EXPECT_EQ(store.ReadInt("K470Dlg", "Right", 0), 811);
    EXPECT_EQ(store.ReadInt("Signal", "CustomFltN_2", 0), -1);
}

// A library of two filters in one file and a preset "Quiet" that names the second filter for channel 2.
void writeSignalDefinitions(const TempDir& dir) {
    FilterDefinition a, b;
    a.name = u"HP";
    b.name = u"LP";
    b.order = 3;
    b.numerator = {0.5, 0.5};
    const auto library = encodeFilterLibrary({a, b});
    test::writeBytes(dir.file("filters.slb"), library);
    ProcessorPreset quiet;
    quiet.name = u"Quiet";
    quiet.filterNames[1] = u"LP";
    quiet.decimation = 2;
    quiet.cutOffIndex = 5;
    ASSERT_TRUE(savePresets(dir.file("cust_proc.dat"), {quiet}));
}

TEST(ApplicationState, StartAppliesTheActivePresetAndShutdownWritesThePresetsBack) {
    TempDir dir;
    writeSignalDefinitions(dir);
    const auto presetsBefore = test::readBytes(dir.file("cust_proc.dat"));
    SettingsStore store(dir.file("k470.ini"));
    store.WriteInt("Signal", "CustomK", 1);
    store.WriteString("Signal", "ProcName", "Quiet");
    ApplicationState frame(store, dir.path());
    ASSERT_NE(frame.autoSaveEvent(), nullptr);
    frame.Initialise();
    EXPECT_EQ(frame.filterLibrary().filters.size(), 2u);
    EXPECT_EQ(frame.signalState().channels[1].filterIndex, 1);
    EXPECT_EQ(frame.signalState().decimation, 2);
    frame.Shutdown(kDefaultWindowRect);
    EXPECT_EQ(store.ReadInt("Signal", "DecValue", 0), 2);
    EXPECT_EQ(store.ReadInt("Signal", "CutOffI", 0), 5);
    EXPECT_EQ(store.ReadInt("Signal", "CustomFltN_1", 0), 1);
    EXPECT_EQ(test::readBytes(dir.file("cust_proc.dat")), presetsBefore);
}

TEST(ApplicationState, APresetThatIsGoneIsSwitchedOffAndNothingIsCreated) {
    TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    store.WriteInt("Signal", "CustomK", 1);
    store.WriteString("Signal", "ProcName", "Gone");
    store.WriteInt("Signal", "DecValue", 4);
    store.WriteInt("Signal", "CustomFltN_0", 7);
    ApplicationState frame(store, dir.path());
    frame.Initialise();
    frame.Shutdown(kDefaultWindowRect);
    EXPECT_EQ(store.ReadInt("Signal", "CustomK", -1), 0);
    EXPECT_EQ(store.ReadInt("Signal", "DecValue", 0), 1);
    EXPECT_EQ(store.ReadInt("Signal", "CustomFltN_0", 0), -1);
    struct stat st {};
    EXPECT_NE(::stat(dir.file("cust_proc.dat").c_str(), &st), 0);  // no presets, no file made up
}

}  // namespace
}  // namespace k470::app

namespace k470::app {
namespace {

TEST(FrameTexts, Interval) {
    RecordTail tail;
    EXPECT_EQ(IntervalText(tail), "");  // all three 255: not known
    tail.intervalHours = 1;
    tail.intervalMinutes = 2;
    tail.intervalSeconds = 3;
    EXPECT_EQ(IntervalText(tail), "1:02:03");
    tail.intervalHours = 255;
    tail.intervalMinutes = 255;
    tail.intervalSeconds = 0;
    EXPECT_EQ(IntervalText(tail), "255:255:00");  // only all three 255 mean unknown
}

}  // namespace
}  // namespace k470::app
