// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli record: connects to the raw-signal instrument, runs its stream through the processing chain and
// records the enabled output channels into a new signal file, as "Start recording" does in the window.
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/clock.h"
#include "base/lexicon.h"
#include "base/paths.h"
#include "base/settings_store.h"
#include "base/text_encoding.h"
#include "cli/acquisition_cli_support.h"
#include "cli/cli_command.h"
#include "link/device_link.h"
#include "link/live_stream_handler.h"
#include "link/tele_link.h"
#include "signal/channel_setup.h"
#include "signal/processor_preset.h"
#include "signal/signal_recorder.h"

namespace k470::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) {
    interrupted = 1;
}

constexpr int kTickMs = 30;  // the acquisition timer's period
// The closest markers may follow one another: a record takes 15 of them before a new one begins, so closer
// markers would only cut the recording into records of a few frames each.
constexpr double kShortestMarkerStepSeconds = 1.0;

bool parsePositive(const std::string& text, double& value) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size() &&
           std::isfinite(value) && value > 0.0;
}

// The live stream with a tap behind the chain that keeps the decimated frames of the recorded channels;
// the first ring's worth of samples is left out.
class TappedStream : public StreamHandler {
  public:
    TappedStream(LiveStreamDeps deps, uint16_t mask)
        : tap_(mask, static_cast<uint64_t>(deps.chain.outputRingLength())), live_(std::move(deps)) {
        live_.stream().setSampleObserver([this](const ProcessingChain& chain) { tap_.onSample(chain); });
    }
    bool StartStream(SerialPort& port) override {
        started = true;
        return live_.StartStream(port);
    }
    bool OnStreamTick(SerialPort& port) override { return live_.OnStreamTick(port); }
    void StopStream() override { live_.StopStream(); }
    std::vector<double>& pending() { return tap_.pending(); }
    uint64_t framesLost() const { return live_.framesLost(); }
    bool started = false;

  private:
    RecordingTap tap_;
    LiveStreamHandler live_;
};

// Feeds the recorder up to the wanted frame count, setting a marker every markerStep frames.
class RecordingFeed {
  public:
    RecordingFeed(SignalRecorder& recorder, uint64_t wanted, uint64_t markerStep)
        : recorder_(recorder), wanted_(wanted), step_(markerStep), nextMarker_(markerStep) {}

    Status take(std::vector<double>& values) {
        const auto channels = static_cast<size_t>(recorder_.channelCount());
        std::span<const double> rest(values);
        while (!rest.empty() && !done()) {
            uint64_t n = std::min<uint64_t>(rest.size() / channels, wanted_ - recorder_.totalFrames());
            if (step_ > 0) n = std::min(n, nextMarker_ - recorder_.totalFrames());
            if (Status s = recorder_.Append(rest.first(static_cast<size_t>(n) * channels)); !s) return s;
            rest = rest.subspan(static_cast<size_t>(n) * channels);
            if (step_ > 0 && recorder_.totalFrames() == nextMarker_ && !done()) {
                nextMarker_ += step_;
                if (Status s = recorder_.AddMarker(utf8ToUtf16("Marker " + std::to_string(++markers_))); !s)
                    return s;
            }
        }
        values.clear();
        return {};
    }
    bool done() const { return recorder_.totalFrames() >= wanted_; }

  private:
    SignalRecorder& recorder_;
    uint64_t wanted_, step_, nextMarker_;
    int markers_ = 0;
};

struct RecordArgs {
    std::string output;
    std::string device;
    std::optional<std::string> preset;
    std::optional<double> seconds;
    uint64_t frames = 0;
    double markerEvery = 0.0;
};

std::optional<int> parseRecordArgs(const Command& self, std::span<const std::string> args, RecordArgs& r) {
    static constexpr std::string_view kFlags[] = {"--usb"};
    static constexpr std::string_view kValues[] = {"--preset",       "--seconds", "--frames",
                                                   "--marker-every", "-o",        "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return done;
    if (!p.has("--usb"))
        return usageError(self, "give --usb [DEVICE]: the raw-signal instrument streams over USB");
    if (p.files.size() > 1) return usageError(self, "unexpected argument " + p.files.back());
    if (!p.files.empty()) r.device = p.files[0];
    r.output = p.outputPath();
    if (r.output.empty()) return usageError(self, "give the output file with -o");
    if (r.output == "-")
        return usageError(self,
                          "standard output can't take a recording: it grows in a file on disk (-o OUT.sdt)");
    if (p.has("--seconds") == p.has("--frames"))
        return usageError(self, "give either --seconds S or --frames N");
    double v = 0.0;
    if (p.has("--seconds")) {
        if (!parsePositive(p.value("--seconds"), v) || v > 86400.0 * 366)
            return usageError(self, "--seconds takes a number of seconds above 0");
        r.seconds = v;
    } else {
        const std::string f = p.value("--frames");
        auto res = std::from_chars(f.data(), f.data() + f.size(), r.frames);
        if (res.ec != std::errc() || res.ptr != f.data() + f.size() || r.frames == 0 ||
            r.frames > (1ull << 40))
            return usageError(self, "--frames takes a whole number above 0");
    }
    if (p.has("--marker-every") && (!parsePositive(p.value("--marker-every"), r.markerEvery) ||
                                    r.markerEvery < kShortestMarkerStepSeconds))
        return usageError(
            self, "--marker-every takes a number of seconds from 1, not '" + p.value("--marker-every") + "'");
    if (p.has("--preset")) r.preset = p.value("--preset");
    return std::nullopt;
}

// The signal state of the raw-signal instrument with the chosen preset applied; false when the preset is
// not found (reported).
bool prepareSignal(const RecordArgs& r, SignalState& state, FilterLibraryLoad& library,
                   ProcessingChain& chain) {
    const std::string dir = dataDirectory();
    library = loadFilterLibrary(dir);
    for (const Error& e : library.problems) printError(e.message);
    PresetLoad presets = loadPresets(dir + "/" + kPresetFileName);
    if (presets.problem) printError(presets.problem->message);
    addBuiltinPresets(presets.presets);
    ChannelSetupSource source;
    source.deviceType = kStreamDeviceType;
    applyChannelSetup(state, source);
    if (r.preset) {
        state.presetActive = true;
        state.presetName = *r.preset;
        if (findPreset(presets.presets, utf8ToUtf16(*r.preset)) == nullptr) {
            printError("No preset named '" + *r.preset + "' in " + dir + "/" + kPresetFileName);
            return false;
        }
    }
    applyActivePreset(state, presets.presets, library.library, chain);
    applyChannelSetup(state, source);
    return true;
}

int recordStream(const RecordArgs& r, SignalState& state, const FilterLibrary& library,
                 ProcessingChain& chain, const SdtHeader& header, uint64_t wanted, uint64_t markerStep) {
    RunSettings runSettings("record");
    SettingsStore settings(runSettings.path());
    if (!settings.WriteInt("Init", "AType", 0)) {
        printError(lexicon().cantOpenFile(runSettings.path()));
        return 1;
    }
    CliLinks links(r.device);
    AcquisitionController controller(links.deps(settings), links.view);
    std::mutex signalLock;
    TappedStream stream({state, chain, library, signalLock, {}}, header.channelMask);
    controller.SetStreamHandler(&stream);
    if (!controller.StartAcquisition()) return 1;
    if (!stream.started) {
        printError("the instrument sends no raw signal stream: there is nothing to record");
        controller.StopAcquisition();
        return 1;
    }
    SignalRecorder recorder({links.clock, nullptr, nullptr});
    if (Status s = recorder.Start(r.output, header, {kStreamDeviceType, controller.vin()}); !s) {
        printError(s.error());
        controller.StopAcquisition();
        return 1;
    }
    if (recorder.replacesEarlierFile())
        printNote(substitute(lexicon().text(Word::RecordingGrowsBeside), {r.output, recorder.growingAt()}));
    RecordingFeed feed(recorder, wanted, markerStep);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    uint32_t lastData = links.clock.nowMs();
    int exitCode = 0;
    bool writeFailed = false;  // then the message has said what the file holds
    while (!feed.done() && !interrupted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
        controller.OnAcquisitionTimer();
        if (controller.vin() != recorder.vin()) recorder.setVin(controller.vin());
        const bool data = !stream.pending().empty();
        if (data) lastData = links.clock.nowMs();
        if (Status s = data ? feed.take(stream.pending()) : recorder.Tick(); !s) {
            printError(s.error());  // the recorder has closed the file with what it holds
            exitCode = 1;
            writeFailed = true;
            break;
        }
        if (links.clock.nowMs() - lastData > kStreamSilenceLimitMs) {
            printError(
                substitute(lexicon().text(Word::StreamWentSilent), {std::to_string(recorder.totalFrames())}));
            exitCode = 1;
            break;
        }
    }
    controller.StopAcquisition();
    if (Status s = recorder.Stop(); !s) {
        printError(s.error());
        exitCode = 1;
        writeFailed = true;
    }
    if (!writeFailed)
        std::fprintf(stderr, "%llu frames in %u records written to %s\n",
                     static_cast<unsigned long long>(recorder.totalFrames()), recorder.recordCount(),
                     r.output.c_str());
    // A recording with gaps must not pass for a whole one.
    if (const uint64_t lost = stream.framesLost(); lost > 0)
        printError("warning: " + substitute(lexicon().text(Word::StreamFramesLost), {std::to_string(lost)}));
    return exitCode;
}

}  // namespace

int runRecord(std::span<const std::string> args) {
    const Command& self = commandNamed("record");
    RecordArgs r;
    if (auto done = parseRecordArgs(self, args, r)) return *done;
    const std::filesystem::path outPath(r.output);
    std::error_code ec;
    // Told before the instrument is connected.
    if (outPath.has_parent_path() && !std::filesystem::is_directory(outPath.parent_path(), ec)) {
        printError(fail(lexicon().cantWriteFile(r.output), std::strerror(ENOENT)));
        return 1;
    }
    SignalState state;
    FilterLibraryLoad library;
    ProcessingChain chain;
    if (!prepareSignal(r, state, library, chain)) return 1;
    const SdtHeader header = recordingHeader(state);
    const uint64_t wanted =
        r.seconds ? std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(*r.seconds * header.sampleRate)))
                  : r.frames;
    const uint64_t markerStep =
        r.markerEvery > 0.0
            ? std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(r.markerEvery * header.sampleRate)))
            : 0;
    return recordStream(r, state, library.library, chain, header, wanted, markerStep);
}

}  // namespace k470::cli
