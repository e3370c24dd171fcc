// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli acquire: connects to an instrument over the tele adapter or USB and records its results at a
// fixed period into a .bin file, as autorecording does in the window.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "base/clock.h"
#include "base/lexicon.h"
#include "base/named_event.h"
#include "base/settings_store.h"
#include "cli/acquisition_cli_support.h"
#include "cli/cli_command.h"
#include "link/acquisition_controller.h"
#include "link/device_link.h"
#include "link/tele_link.h"

namespace k470::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) {
    interrupted = 1;
}

bool parseCount(const std::string& text, long long& value) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// A raw-signal instrument sends a sample stream and no status messages, so it has no records to save: its
// stream is refused as soon as the connect sequence finds it (the acquisition then tells it to stop).
class RefuseStream : public StreamHandler {
  public:
    bool StartStream(SerialPort&) override {
        found = true;
        return false;
    }
    bool OnStreamTick(SerialPort&) override { return false; }
    bool found = false;
};

// The period, count and trigger of the recording; the exit code when they are refused.
std::optional<int> parseRecording(const Command& self, const ParsedArgs& p,
                                  AcquisitionController::RecordingParameters& rp) {
    long long period = 0, count = 0;
    if (!parseCount(p.value("--period", "1"), period) || period < 1 ||
        period > AcquisitionController::kMaxPeriodSeconds)
        return usageError(self, "--period takes whole seconds from 1 to " +
                                    std::to_string(AcquisitionController::kMaxPeriodSeconds) + ", not '" +
                                    p.value("--period") + "'");
    if (!parseCount(p.value("--count", "1"), count) || count < 1 ||
        count > AcquisitionController::kMaxRecords)
        return usageError(self, "--count takes a number from 1 to " +
                                    std::to_string(AcquisitionController::kMaxRecords) + ", not '" +
                                    p.value("--count") + "'");
    rp.periodSeconds = static_cast<int>(period);
    rp.records = count;
    rp.externalTrigger = p.has("--trigger");
    if (Status s = AcquisitionController::CheckRecordingParameters(rp); !s) {
        printError(s.error());
        return 1;
    }
    return std::nullopt;
}

// Runs the recording until it ends, is interrupted, or the instrument goes silent; the exit code so far.
// An instrument that stops sending would leave the recording waiting for ever: give up when no message came
// for several periods (armed or recording, the instrument keeps sending its status).
int waitForRecording(AcquisitionController& controller, const StderrView& view, const SteadyClock& clock,
                     long long period) {
    const uint64_t silenceLimitMs = 1000ull * static_cast<uint64_t>(std::max<long long>(3, 3 * period));
    uint32_t lastData = clock.nowMs();
    long long seen = 0;
    while (controller.recording() != AcquisitionController::Recording::Off) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        controller.OnAcquisitionTimer();
        if (view.newData != seen) {
            seen = view.newData;
            lastData = clock.nowMs();
        }
        if (interrupted) {
            controller.StopRecording();
            return 0;
        }
        if (clock.nowMs() - lastData > silenceLimitMs) {
            // The records written so far stay; no further record of stale values is added.
            printError(lexicon().text(Word::CantFoundDevice));
            return 1;
        }
    }
    return 0;
}

}  // namespace

int runAcquire(std::span<const std::string> args) {
    const Command& self = commandNamed("acquire");
    static constexpr std::string_view kFlags[] = {"--usb", "--trigger"};
    static constexpr std::string_view kValues[] = {"--tcp",   "--bind", "--port",  "--period",
                                                   "--count", "-o",     "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    const bool tcp = p.has("--tcp"), usb = p.has("--usb");
    if (tcp == usb) return usageError(self, "give either --tcp ADDRESS or --usb [DEVICE]");
    if (p.files.size() > (usb ? 1u : 0u)) return usageError(self, "unexpected argument " + p.files.back());
    const std::string output = p.outputPath();
    if (output.empty()) return usageError(self, "give the output file with -o");
    long long port = 0;
    if (!parseCount(p.value("--port", "10001"), port) || port < 1 || port > 65535)
        return usageError(self, "--port takes a port number");
    AcquisitionController::RecordingParameters rp;
    if (auto code = parseRecording(self, p, rp)) return *code;
    const long long period = rp.periodSeconds;

    RunSettings runSettings("acquire");
    SettingsStore settings(runSettings.path());
    if (!settings.WriteInt("Init", "AType", tcp ? 1 : 0) ||
        !settings.WriteString("Init", "IP1", p.value("--bind", "0.0.0.0")) ||
        !settings.WriteString("Init", "IP2", p.value("--tcp"))) {
        printError(lexicon().cantOpenFile(runSettings.path()));
        return 1;
    }
    std::optional<NamedEvent> trigger;
    if (rp.externalTrigger) {
        auto e = NamedEvent::Open(kAutoSaveEventName);
        if (!e) {
            printError(e.error());
            return 1;
        }
        trigger.emplace(std::move(*e));
    }

    CliLinks links(p.files.empty() ? std::string() : p.files[0]);
    const SteadyClock& clock = links.clock;
    StderrView& view = links.view;
    AcquisitionController controller(
        links.deps(settings, trigger ? &*trigger : nullptr, static_cast<uint16_t>(port)), view);
    RefuseStream stream;
    controller.SetStreamHandler(&stream);
    if (!controller.StartAcquisition()) {
        if (stream.found)
            printError("the instrument sends a raw signal stream, which has no records to save");
        return 1;
    }
    // Take the instrument's messages for a moment first, as the window does before the user can start a
    // recording: the recording then knows whether the instrument's measurement already runs.
    for (int i = 0; i < 66 && view.newData == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        controller.OnAcquisitionTimer();
    }
    if (Status s = controller.StartRecording(rp, output); !s) {
        printError(s.error());
        return 1;
    }
    if (rp.externalTrigger) printNote("waiting for the trigger (k470-cli trigger)");

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const int exitCode = waitForRecording(controller, view, clock, period);
    const uint32_t written = controller.recordsWritten();
    controller.StopAcquisition();
    printNote(std::to_string(written) + " records written to " + output);
    if (exitCode == 0 && !interrupted && written < rp.records) return 1;  // a write failed (reported)
    return exitCode;
}

}  // namespace k470::cli
