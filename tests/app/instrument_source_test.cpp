// The connected instrument as the frame's source, without widgets: the commands the acquisition leaves
// enabled, the autorecording dialog's values, and the instrument's place among the frame's sources.
#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/frame_controller.h"
#include "app/frame_settings.h"
#include "app/instrument_source.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
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

TEST(AcquisitionCommandsOnTheFrame, ReportedStatesEnableAndDisableOnlyTheirCommands) {
    CommandState state;
    state.Initialise();
    state.setHandled({CmdOpen, CmdData, CmdMisc, CmdReset, CmdStartStop, CmdSaveAsBinary, CmdSaveAsText,
                      CmdStartRecording, CmdStopRecording, CmdSetMarker});
    AcquisitionCommands connected;
    connected.reset = connected.startStop = connected.saveAsBinary = connected.startRecording = true;
    ApplyAcquisitionCommands(state, connected);
    for (int id : {CmdReset, CmdStartStop, CmdSaveAsBinary, CmdStartRecording})
        EXPECT_TRUE(state.enabled(id)) << id;
    for (int id : {CmdSaveAsText, CmdStopRecording, CmdSetMarker}) EXPECT_FALSE(state.enabled(id)) << id;

    AcquisitionCommands recording = connected;
    recording.startRecording = false;
    recording.stopRecording = recording.setMarker = true;
    ApplyAcquisitionCommands(state, recording);
    EXPECT_FALSE(state.enabled(CmdStartRecording));
    EXPECT_TRUE(state.enabled(CmdStopRecording) && state.enabled(CmdSetMarker));

    ApplyAcquisitionCommands(state, AcquisitionCommands{});
    for (int id :
         {CmdReset, CmdStartStop, CmdSaveAsBinary, CmdStartRecording, CmdStopRecording, CmdSetMarker})
        EXPECT_FALSE(state.enabled(id)) << id;
    // Commands the acquisition does not decide keep their state.
    EXPECT_TRUE(state.enabled(CmdOpen) && state.enabled(CmdData));
}

class InstrumentSourceTest : public ::testing::Test {
  protected:
    InstrumentSourceTest() : store(dir.file("k470.ini")), frame(store, dir.file("data")) {
        frame.Initialise();
        frame.commands().setHandled({CmdReset, CmdStartRecording, CmdSignalFiltration, CmdSaveAsBinary});
        frame.closeInstrument = [this] {
            ++closed;
            modeWhenClosed = frame.mode();
            frame.CloseSource(5);  // the acquisition's own clean-up closes the source again
        };
    }
    test::TempDir dir;
    SettingsStore store;
    FrameController frame;
    int closed = 0;
    SourceMode modeWhenClosed = SourceMode::Instrument;
};

TEST_F(InstrumentSourceTest, TheInstrumentIsASourceThatEndsItsAcquisitionWhenClosed) {
    frame.InstrumentOpened(3, 0x0012ABCD, "Sound level and spectrum meter (VIN: 0012ABCD)");
    EXPECT_EQ(frame.mode(), SourceMode::Instrument);
    EXPECT_EQ(frame.deviceType(), 3);
    EXPECT_EQ(frame.vin(), 0x0012ABCDu);
    EXPECT_EQ(frame.title(), "Sound level and spectrum meter (VIN: 0012ABCD)");
    EXPECT_TRUE(frame.commands().enabled(CmdReset) && frame.commands().enabled(CmdStartRecording));
    EXPECT_FALSE(frame.commands().allowed(CmdSignalFiltration));
    frame.SetTitle("progress");
    EXPECT_EQ(frame.title(), "progress");

    frame.CloseSource(2);
    EXPECT_EQ(closed, 1);
    // The acquisition sees the instrument closed already, so its own clean-up does not close it twice.
    EXPECT_EQ(modeWhenClosed, SourceMode::None);
    EXPECT_EQ(LoadTablePos(store), 2);
    EXPECT_EQ(frame.mode(), SourceMode::None);
    EXPECT_EQ(frame.title(), FrameController::DefaultTitle());
    EXPECT_FALSE(frame.commands().allowed(CmdReset));
    frame.CloseSource(1);
    EXPECT_EQ(closed, 1);
}

TEST_F(InstrumentSourceTest, OpeningAFileEndsTheAcquisitionFirst) {
    auto r = makeSampleRecord({3, 0x0BADCAFE, 7, 0});
    ASSERT_TRUE(r.ok());
    const std::string path = dir.file("one.bin");
    ASSERT_TRUE(WriteSingleRecordFile(path, *r, CalendarTime{2024, 1, 2, 3, 4, 6}).ok());
    frame.InstrumentOpened(3, 1, "t");
    ASSERT_TRUE(frame.Open(path, 0).ok());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(frame.mode(), SourceMode::DataFile);
    frame.CloseSource(0);
    EXPECT_EQ(closed, 1);  // a file has no acquisition to end
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
