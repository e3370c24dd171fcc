// SPDX-License-Identifier: GPL-3.0-or-later
// The connected instrument as the frame's source, without widgets: the commands the acquisition leaves
// enabled, the autorecording dialog's values, and the instrument's place among the frame's sources.
#include <gtest/gtest.h>

#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "frame/application_state.h"
#include "frame/frame_settings.h"
#include "frame/instrument_source.h"
#include "link/tele_link.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

TEST(RecordingParametersText, WholeNumbersWithinTheLimits) {
    struct Case {
        const char* period;
        const char* count;
        bool ok;
        int periodSeconds;
        long long records;
    };
    const Case cases[] = {
        {"1", "300000", true, 1, 300000},
        {"1", "300001", false, 0, 0},
        {" 5 ", "3", true, 5, 3},
        {"+2", "1", true, 2, 1},
        {"0", "10", false, 0, 0},
        {"1", "0", false, 0, 0},
        {"-1", "5", false, 0, 0},
        {"2", "-3", false, 0, 0},
        {"1.5", "3", false, 0, 0},
        {"abc", "3", false, 0, 0},
        {"1", "", false, 0, 0},
        {"1", "3x", false, 0, 0},
        // The period counts in 32-bit milliseconds: the longest that fits, and one second more.
        {"4294967", "1", true, 4294967, 1},
        {"4294968", "1", false, 0, 0},
        {"99999999999999999999", "1", false, 0, 0},
    };
    for (const Case& c : cases) {
        auto p = ParseRecordingParameters(c.period, c.count, true);
        ASSERT_EQ(p.ok(), c.ok) << c.period << " / " << c.count;
        if (!c.ok) {
            EXPECT_EQ(p.error().message, "Error in parameters");
            continue;
        }
        EXPECT_EQ(p->periodSeconds, c.periodSeconds);
        EXPECT_EQ(p->records, c.records);
        EXPECT_TRUE(p->externalTrigger);
    }
}

// While the instrument is the source, the operation commands follow what the acquisition reports, the
// page commands need its pages, and "Signal filtration" waits until the instrument is closed.
TEST(InstrumentCommands, ReportedStatesDecideTheOperationCommands) {
    AcquisitionCommands connected;
    connected.reset = connected.startStop = connected.saveAsBinary = connected.startRecording = true;
    AcquisitionCommands recording = connected;
    recording.startRecording = false;
    recording.stopRecording = recording.setMarker = true;
    struct Case {
        const char* name;
        AcquisitionCommands reported;
        bool pages;
        Command command;
        bool allowed;
    } cases[] = {
        {"reset", connected, true, Command::Reset, true},
        {"start/stop", connected, true, Command::StartStop, true},
        {"save", connected, true, Command::SaveAsBinary, true},
        {"save without pages", connected, false, Command::SaveAsBinary, false},
        {"text", connected, true, Command::SaveAsText, false},
        {"start recording", connected, true, Command::StartRecording, true},
        {"stop recording", connected, true, Command::StopRecording, false},
        {"marker", connected, true, Command::SetMarker, false},
        {"recording: start", recording, true, Command::StartRecording, false},
        {"recording: stop", recording, true, Command::StopRecording, true},
        {"recording: marker", recording, true, Command::SetMarker, true},
        {"ended: reset", AcquisitionCommands{}, true, Command::Reset, false},
        {"misc", connected, true, Command::Misc, true},
        {"misc before the answer", connected, false, Command::Misc, false},
        {"filtration", connected, true, Command::SignalFiltration, false},
        {"open", AcquisitionCommands{}, false, Command::Open, true},
        {"data", AcquisitionCommands{}, false, Command::Data, true},
        {"play", connected, true, Command::Play, false},
        {"fft", connected, true, Command::Fft, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InstrumentAllows(c.reported, c.pages, c.command), c.allowed) << c.name;
}

// The window records the raw signal itself: its recording commands follow the stream and the recording,
// and the other commands stay with what the acquisition reports.
TEST(InstrumentCommands, StreamRecordingCommandsFollowTheStream) {
    struct Case {
        bool streaming, recording;
        Command command;
        std::optional<bool> allowed;
    } cases[] = {
        {true, false, Command::StartRecording, true},
        {false, false, Command::StartRecording, false},  // the stream has not started or went away
        {true, true, Command::StartRecording, false},
        {true, false, Command::StopRecording, false},
        {true, true, Command::StopRecording, true},
        {true, false, Command::SetMarker, false},
        {true, true, Command::SetMarker, true},
        {true, true, Command::StartStop, std::nullopt},
        {true, true, Command::SaveAsBinary, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StreamAllows(c.streaming, c.recording, c.command), c.allowed)
            << static_cast<int>(c.command) << " " << c.streaming << c.recording;
}

TEST(TeleSettingsDefaults, AreTheAddressesTheLinkConnectsWith) {
    test::TempDir dir;
    SettingsStore store(dir.file("k470.ini"));
    const TeleSettings shown = TeleSettings::Load(store);
    const TeleEndpoint used = readTeleEndpoint(store);
    EXPECT_EQ(shown.adapterAddress, used.localAddress);
    EXPECT_EQ(shown.deviceAddress, used.remoteAddress);
    EXPECT_EQ(shown.adapterKind, 0);
    EXPECT_EQ(readLinkKind(store), LinkKind::Usb);
}

}  // namespace
}  // namespace k470::app
