// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator behaves as an instrument: it answers the commands and its levels follow the range and the
// running measurement.
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "base/settings_store.h"
#include "link/instrument_protocol.h"
#include "link/tele_link.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using namespace std::chrono_literals;

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimulatorOptions o;
        o.port = 0;
        o.type = 6;
        auto s = Simulator::Start(o);
        ASSERT_TRUE(s.ok());
        sim = std::move(*s);
        link.Connect({"127.0.0.1", "127.0.0.1", sim->tcpPort()});
        ASSERT_TRUE(link.IsConnected());
        values.record = *MeasurementRecord::blank(6);
    }
    void send(const Command& c) { ASSERT_TRUE(link.PostAndWait(c.data(), c.size())); }
    // Takes messages until one shows what the commands sent should have done (within a bound).
    template <class F>
    bool latest(F shows) {
        for (int i = 0; i < 100; ++i) {
            if (!link.WaitForMessage(2000)) return false;
            std::vector<uint8_t> m(kMaxStatusMessage);
            m.resize(link.Receive(m.data(), static_cast<uint32_t>(m.size())));
            ApplyStatusMessage(m, values);
            if (shows()) return true;
        }
        return false;
    }
    double mean() const {
        double s = 0;
        for (double l : values.record.levels) s += l;
        return s / static_cast<double>(values.record.levels.size());
    }

    std::unique_ptr<Simulator> sim;
    TeleLink link;
    AcquiredValues values;
};

TEST_F(SimulatorTest, AnswersStartStopRangeAndRunning) {
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(link.HasMessages());  // silent until started
    send(kStartCommand);
    ASSERT_TRUE(latest([] { return true; }));
    EXPECT_FALSE(values.running);
    const double range0 = mean();
    send(RangeCommand(2));
    ASSERT_TRUE(latest([&] { return values.record.tail.rangeIndex == 2; }));
    EXPECT_NEAR(mean() - range0, 20.0, 6.0);  // each range moves the levels by 10 dB
    send(kStartStopCommand);
    ASSERT_TRUE(latest([&] { return values.running; }));
    // Infrasound rows: Slow, ESlow, Leq, Slow min, Slow max, ... Leq, min and max gather the running
    // measurement; stopped, they hold while the Slow level goes on drifting.
    const auto& l = values.record.levels;
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(latest([] { return true; }));
    EXPECT_LT(l[3], l[4]);
    EXPECT_GE(l[2], l[3]);
    EXPECT_LE(l[2], l[4]);
    EXPECT_LE(l[3], l[0]);
    EXPECT_GE(l[4], l[0]);
    send(kStartStopCommand);
    ASSERT_TRUE(latest([&] { return !values.running; }));
    const std::vector<double> held(l.begin(), l.begin() + 5);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(latest([] { return true; }));
    EXPECT_EQ(std::vector<double>(l.begin() + 2, l.begin() + 5),
              std::vector<double>(held.begin() + 2, held.end()));
    EXPECT_NE(l[0], held[0]);
    send(kStartStopCommand);
    send(kResetCommand);
    for (const Command& c : CalibrationOffsetCommands(0, -1.25)) send(c);
    ASSERT_TRUE(latest([&] { return values.record.trailer.calibrationOffset[0] == -1.25; }));
    EXPECT_EQ(sim->state().resets, 1);
    EXPECT_TRUE(sim->state().running);
    send(kStopCommand);
    for (int i = 0; i < 200 && sim->state().sending; ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(20ms);
    link.DiscardMessages();
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(link.HasMessages());
}

TEST(TeleSettingsTest, DialogValuesRoundTripWithDefaults) {
    test::TempDir dir;
    SettingsStore s(dir.file("k470.ini"));
    EXPECT_EQ(readLinkKind(s), LinkKind::Usb);
    EXPECT_EQ(readTeleEndpoint(s).localAddress, kDefaultLocalAddress);
    EXPECT_EQ(readTeleEndpoint(s).remoteAddress, kDefaultRemoteAddress);
    EXPECT_EQ(readTeleEndpoint(s).port, 10001);
    ASSERT_TRUE(writeTeleSettings(s, LinkKind::WiFi, "10.1.1.2", "10.1.1.9"));
    EXPECT_EQ(readLinkKind(s), LinkKind::WiFi);
    EXPECT_EQ(readTeleEndpoint(s).remoteAddress, "10.1.1.9");
    ASSERT_TRUE(s.WriteInt("Init", "AType", 7));  // any nonzero kind is WiFi
    EXPECT_EQ(readLinkKind(s), LinkKind::WiFi);
}

}  // namespace
}  // namespace k470
