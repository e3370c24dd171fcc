// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/replay_controller.h"

#include <algorithm>
#include <cmath>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/signal_limits.h"

namespace k470 {

namespace {

constexpr uint32_t kPieceFrames = 4096;  // frames read and passed on at a time

}  // namespace

void ChainReplaySink::BeginTick() {
    std::lock_guard<std::mutex> guard(lock_);
    applyChannelSetup(state_, setup_);
    chain_.setChannels(state_, library_);
}

void ChainReplaySink::Frames(std::span<const std::array<double, 3>> frames) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& f : frames) {
        chain_.ProcessSample(f, ChainMode::RingsOnly);
        if (observer_) observer_(chain_);
    }
}

void ChainReplaySink::ResetHistories() {
    std::lock_guard<std::mutex> guard(lock_);
    chain_.resetHistories();
}

Status ReplayController::Open(const std::string& path, ReplaySink& sink) {
    Close();
    auto file = SdtContainer::Open(path, File::Mode::Read);
    if (!file) return file.error();
    const double rate = file->header().sampleRate;
    if (!(rate > 0.0 && std::isfinite(rate)))
        return fail(Word::SampleRateCannotPaceReplay, {path, formatGeneral(rate, 10)});
    DirectoryWalk walk = file->walkEntries();
    if (walk.entries.empty()) return walk.problem ? *walk.problem : fail(Word::HoldsNoSignalRecord, {path});
    file_.emplace(std::move(*file));
    records_ = std::move(walk.entries);
    directoryProblem_ = walk.problem;  // the records before a damaged block stay replayable
    problem_ = directoryProblem_;
    state_.store(ReplayState::Stopped);
    changeRecord(0, sink);
    lastTick_ = clock_.nowMs();
    state_.store(ReplayState::Replaying);
    return {};
}

void ReplayController::Close() {
    state_.store(ReplayState::NoFile);
    file_.reset();
    records_.clear();
    record_.reset();
    recordLength_ = position_ = replayStart_ = replayEnd_ = 0;
    currentRecord_ = 0;
}

void ReplayController::changeRecord(int index, ReplaySink& sink) {
    state_.store(ReplayState::Stopped);
    currentRecord_ = index;
    auto record = SignalRecord::From(*file_, records_[static_cast<size_t>(index)]);
    if (record) {
        problem_ = directoryProblem_;  // a damaged record met before is no longer the one shown
        record_ = *record;
        recordLength_ = record->frameCount();
    } else {
        // A record whose samples lie beyond the end of the file is shown as empty.
        problem_ = record.error();
        record_.reset();
        recordLength_ = 0;
    }
    position_ = 0;
    replayStart_ = 0;
    replayEnd_ = recordLength_;
    sink.Post(ReplayEvent::RecordChanged);
}

bool ReplayController::StepRecord(int step, ReplaySink& sink) {
    if (!file_ || step == 0) return false;
    const int next = step < 0 ? currentRecord_ + 1 : currentRecord_ - 1;
    if (next < 0 || next >= recordCount()) return false;
    changeRecord(next, sink);
    return true;
}

bool ReplayController::SelectRecord(long number, ReplaySink& sink) {
    if (!file_ || number < 1 || number > recordCount()) return false;
    changeRecord(static_cast<int>(number - 1), sink);
    return true;
}

void ReplayController::Play(ReplaySink& sink) {
    if (!file_) return;
    state_.store(ReplayState::Stopped);
    sink.ResetHistories();
    paused_.store(false);
    recordLength_ = record_ ? record_->frameCount() : 0;
    position_ = replayStart_;
    lastTick_ = clock_.nowMs();
    state_.store(ReplayState::Replaying);
    sink.Post(ReplayEvent::ReplayStarted);
}

void ReplayController::Pause() {
    const bool was = paused_.exchange(!paused_.load());
    // Resuming takes up the pace from now: the paused time is not owed as frames.
    if (was) lastTick_ = clock_.nowMs();
}

void ReplayController::requestAccumulation(uint64_t frames) {
    accumulating_ = true;
    accumulated_ = 0;
    accumulationTarget_ = frames;
}

uint32_t ReplayController::Tick(ReplaySink& sink) {
    if (state() != ReplayState::Replaying || paused()) return 0;
    sink.BeginTick();
    if (position_ >= replayEnd_ || !record_) {
        state_.store(ReplayState::Stopped);
        return 0;
    }
    // Elapsed time in the tick counter's own modular arithmetic, so that a wrap of the counter costs nothing;
    // a counter behind lastTick (the frames rounded up consumed a little more time than passed) gives 0.
    const uint32_t sinceLast = clock_.nowMs() - lastTick_;
    const uint32_t elapsed = sinceLast >= 0x80000000u ? 0 : sinceLast;
    const double rate = sampleRate();
    const double perMs = speedFactor_ * rate * 0.001;
    double due = std::floor(perMs * elapsed + 0.5);
    // A machine that cannot keep up (a fast speed, long filters) would owe more frames on every tick and
    // freeze the window: beyond kMaxTickMs worth of frames the backlog is dropped and the replay slows down.
    const double cap = std::clamp(std::floor(perMs * kMaxTickMs), 1.0, double{kMaxTickFrames});
    if (due > cap) {
        due = cap;
        lastTick_ = clock_.nowMs();
    } else {
        lastTick_ += static_cast<uint32_t>(std::floor(due * 1000.0 / (speedFactor_ * rate)));
    }
    const uint32_t n = static_cast<uint32_t>(std::min<double>(due, replayEnd_ - position_));
    if (n == 0) return 0;

    const SdtHeader& h = file_->header();
    const size_t stride = static_cast<size_t>(record_->channelCount);
    raw_.resize(size_t{kPieceFrames} * std::max<size_t>(stride, 1));
    frames_.resize(kPieceFrames);
    uint32_t delivered = 0;
    while (delivered < n) {
        const uint32_t count = std::min(kPieceFrames, n - delivered);
        const uint64_t at = record_->dataOffset() + uint64_t{position_} * record_->frameBytes();
        if (stride > 0 && !readDoubles(file_->file(), at, raw_.data(), count * stride)) {
            problem_ = fail(Word::CantReadSamples, {file_->path()});
            state_.store(ReplayState::Stopped);
            break;
        }
        // The frames up to a sample out of range (NaN, infinite, far beyond the reference) are replayed;
        // the replay stops there and says why, as the analyses refuse such a signal.
        const double* v = raw_.data();
        uint32_t good = 0;
        for (bool inRange = true; inRange && good < count; good += inRange ? 1 : 0) {
            std::array<double, 3>& x = frames_[good];
            for (int k = 0; k < 3 && inRange; ++k) {
                if (!(h.channelMask & (1u << k))) {
                    x[static_cast<size_t>(k)] = 0.0;
                    continue;
                }
                const double value = *v++;
                inRange = sampleInRange(value, h.referenceValue[k]);
                if (!inRange) problem_ = sampleOutOfRange(value, position_ + good + 1, currentRecord_ + 1);
                x[static_cast<size_t>(k)] = value;
            }
        }
        sink.Frames(std::span<const std::array<double, 3>>(frames_.data(), good));
        position_ += good;
        delivered += good;
        if (good < count) {
            state_.store(ReplayState::Stopped);
            break;
        }
    }
    if (accumulating_) {
        accumulated_ += delivered;
        if (accumulated_ >= accumulationTarget_) {
            accumulating_ = false;
            sink.Post(ReplayEvent::AccumulationReached);
        }
    }
    sink.Post(ReplayEvent::NewData);
    return delivered;
}

std::vector<ReplayMark> ReplayController::choices(bool end) const {
    std::vector<ReplayMark> marks;
    marks.push_back({true, end ? recordLength_ : 0, {}});
    if (!file_ || !record_) return marks;
    auto table = readMarkerTable(*file_, record_->entry);
    if (!table) return marks;
    std::vector<Error> problems;
    for (const Marker& m : readMarkers(*file_, *table, problems))
        marks.push_back({false, m.block.frame, m.block.name()});
    return marks;
}

std::string ReplayController::counterText() const {
    std::string s;
    appendInt(s, currentRecord_ + 1);
    s += '/';
    appendInt(s, recordCount());
    return s;
}

}  // namespace k470
