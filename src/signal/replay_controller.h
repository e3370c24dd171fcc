// SPDX-License-Identifier: GPL-3.0-or-later
// Replay of a signal file: one record at a time, read at the pace of the recording times a speed factor on
// the acquisition timer's ticks, and passed frame by frame through the processing chain in live mode, so that
// the views show it as they show a live signal. Time comes from an injected clock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/result.h"
#include "signal/channel_setup.h"
#include "signal/processing_chain.h"
#include "signal/signal_record.h"

namespace k470 {

enum class ReplayState : int { NoFile = 0, Stopped = 1, Replaying = 2 };

// What the views are told.
enum class ReplayEvent {
    RecordChanged,        // redraw from the file
    ReplayStarted,        // clear the traces
    NewData,              // new samples in the output rings
    AccumulationReached,  // a pending accumulation reached its target count
};

// Where the replayed frames go. The main window's implementation renews the channel set-up, feeds the chain
// under the signal lock and posts the events to its views.
class ReplaySink {
  public:
    virtual ~ReplaySink() = default;
    // At the start of every tick that runs.
    virtual void BeginTick() {}
    // Frames as three values each (0.0 for channels absent from the file).
    virtual void Frames(std::span<const std::array<double, 3>> frames) = 0;
    // "Play": clear the display buffers and the filter histories.
    virtual void ResetHistories() {}
    virtual void Post(ReplayEvent) {}
};

// The sink that feeds the processing chain: applyChannelSetup with the replayed file's header and the chain's
// channel settings on every tick, then the frames in live mode under the signal lock.
class ChainReplaySink : public ReplaySink {
  public:
    ChainReplaySink(SignalState& state, const FilterLibrary& library, ProcessingChain& chain,
                    std::mutex& lock, ChannelSetupSource setup)
        : state_(state), library_(library), chain_(chain), lock_(lock), setup_(setup) {}
    void setFile(const SdtHeader* header) { setup_.replayedFile = header; }
    // Called after every frame has passed the chain (under the signal lock), so that a view can keep the
    // processed values.
    void setFrameObserver(std::function<void(const ProcessingChain&)> observer) {
        observer_ = std::move(observer);
    }
    void BeginTick() override;
    void Frames(std::span<const std::array<double, 3>> frames) override;
    void ResetHistories() override;

  private:
    SignalState& state_;
    const FilterLibrary& library_;
    ProcessingChain& chain_;
    std::mutex& lock_;
    ChannelSetupSource setup_;
    std::function<void(const ProcessingChain&)> observer_;
};

// A choice of the replay range: a record boundary (begin or end) or a marker of the record.
struct ReplayMark {
    bool boundary = false;  // "Record begin" (frame 0) or "Record end" (frame recordLength)
    uint32_t frame = 0;
    std::u16string name;  // the marker's name; empty for a boundary
};

class ReplayController {
  public:
    // The most replay time one tick delivers; a longer gap (a stalled machine) is not made up.
    static constexpr uint32_t kMaxTickMs = 250;
    // And never more frames in one tick than this, whatever the file's rate claims: a quarter second of the
    // fastest instrument stream (96 kHz) at the highest speed (x100).
    static constexpr uint32_t kMaxTickFrames = 96000u * 100u / 4u;

    explicit ReplayController(const Clock& clock) : clock_(clock) {}

    // Opens a signal file and starts replaying its first record at once. Fails when the file cannot be read,
    // has no record, or its sampling frequency cannot pace a replay.
    Status Open(const std::string& path, ReplaySink& sink);
    void Close();

    // One timer tick: delivers the frames that are due. Returns the number delivered.
    uint32_t Tick(ReplaySink& sink);

    void Play(ReplaySink& sink);
    void Pause();
    // Spin control: a negative step selects the next record, a positive one the previous; false at the ends.
    bool StepRecord(int step, ReplaySink& sink);
    // Counter field: a record number from 1 to recordCount; false (nothing changes) otherwise.
    bool SelectRecord(long number, ReplaySink& sink);

    // The choices of the replay range menu: the boundary first, then the markers of the current record.
    std::vector<ReplayMark> startChoices() const { return choices(false); }
    std::vector<ReplayMark> endChoices() const { return choices(true); }
    void setReplayStart(uint32_t frame) { replayStart_ = frame; }
    void setReplayEnd(uint32_t frame) { replayEnd_ = frame; }

    // A pending accumulation: AccumulationReached is posted once `frames` more frames have been delivered.
    void requestAccumulation(uint64_t frames);

    void setSpeedFactor(int factor) { speedFactor_ = factor == 10 || factor == 100 ? factor : 1; }
    int speedFactor() const { return speedFactor_; }
    ReplayState state() const { return state_.load(); }
    bool paused() const { return paused_.load(); }
    int currentRecord() const { return currentRecord_; }
    int recordCount() const { return static_cast<int>(records_.size()); }
    uint32_t recordLength() const { return recordLength_; }
    uint32_t position() const { return position_; }
    uint32_t replayStart() const { return replayStart_; }
    uint32_t replayEnd() const { return replayEnd_; }
    uint32_t lastTick() const { return lastTick_; }
    double sampleRate() const { return file_ ? file_->header().sampleRate : 0.0; }
    const SdtContainer* file() const { return file_ ? &*file_ : nullptr; }
    // "%d/%d": the record number from 1 and the record count.
    std::string counterText() const;
    // A problem met by the last record change or tick (a damaged record, a failed read); cleared on success.
    const std::optional<Error>& problem() const { return problem_; }

  private:
    void changeRecord(int index, ReplaySink& sink);
    std::vector<ReplayMark> choices(bool end) const;

    const Clock& clock_;
    std::optional<SdtContainer> file_;
    std::vector<IndexedEntry> records_;
    std::optional<SignalRecord> record_;
    std::atomic<ReplayState> state_{ReplayState::NoFile};
    std::atomic<bool> paused_{false};
    int currentRecord_ = 0;
    uint32_t recordLength_ = 0;
    uint32_t position_ = 0;
    uint32_t replayStart_ = 0;
    uint32_t replayEnd_ = 0;
    uint32_t lastTick_ = 0;
    int speedFactor_ = 1;
    bool accumulating_ = false;
    uint64_t accumulated_ = 0;
    uint64_t accumulationTarget_ = 0;
    std::optional<Error> problem_;
    std::optional<Error> directoryProblem_;
    std::vector<double> raw_;
    std::vector<std::array<double, 3>> frames_;
};

}  // namespace k470
