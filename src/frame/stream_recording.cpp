// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/stream_recording.h"

#include "base/lexicon.h"

namespace k470::app {

StreamRecording::StreamRecording(StreamRecordingDeps deps)
    : deps_(std::move(deps)), recorder_({deps_.clock, deps_.now, nullptr}) {}

StreamRecording::~StreamRecording() {
    (void)Stop();
}

Status StreamRecording::Start(const std::string& path, const SdtHeader& header, const RecordingSource& source,
                              uint64_t skipSamples) {
    if (Status s = recorder_.Start(path, header, source); !s) return s;
    rate_ = header.sampleRate;
    lastData_ = deps_.clock.nowMs();
    frames_.clear();
    tap_ = std::make_unique<RecordingTap>(header.channelMask, skipSamples);
    std::lock_guard<std::mutex> guard(deps_.signalLock);
    deps_.installTap(tap_.get());
    return {};
}

void StreamRecording::removeTap() {
    if (!tap_) return;
    {
        std::lock_guard<std::mutex> guard(deps_.signalLock);
        deps_.installTap(nullptr);
    }
    tap_.reset();
}

Status StreamRecording::flush() {
    if (tap_) {
        std::lock_guard<std::mutex> guard(deps_.signalLock);
        frames_.swap(tap_->pending());  // the tap goes on with the emptied buffer of the last time
    }
    if (frames_.empty()) return recorder_.Tick();
    lastData_ = deps_.clock.nowMs();
    Status s = recorder_.Append(frames_);
    frames_.clear();
    return s;
}

std::optional<std::string> StreamRecording::ended(std::string message) {
    removeTap();
    (void)recorder_.Stop();  // after a failed write the recorder has closed the file already
    return message;
}

std::optional<std::string> StreamRecording::Tick() {
    if (!active()) return std::nullopt;
    if (Status s = flush(); !s) return ended(s.error().message);
    if (deps_.clock.nowMs() - lastData_ > kStreamSilenceLimitMs)
        return ended(substitute(lexicon().text(Word::StreamWentSilent), {std::to_string(frames())}));
    return std::nullopt;
}

Status StreamRecording::SetMarker(const std::function<std::optional<std::u16string>()>& askName) {
    if (!active()) return fail(Word::NotRecording);
    // Everything that passed the chain until now belongs before the marker.
    if (Status s = flush(); !s) {
        removeTap();
        return s;
    }
    auto place = recorder_.PlaceMarker();
    if (!place) {
        removeTap();
        return place.error();
    }
    const std::optional<std::u16string> name = askName();
    if (!name || !active()) return {};
    Status s = recorder_.AddMarker(*name, *place);
    if (!s) removeTap();
    return s;
}

Status StreamRecording::Stop() {
    if (!active()) {
        removeTap();
        return {};
    }
    Status written = flush();
    removeTap();
    if (!written) return written;  // the recorder has closed the file with what it holds
    return recorder_.Stop();
}

double StreamRecording::seconds() const {
    return rate_ > 0 ? static_cast<double>(frames()) / rate_ : 0.0;
}

}  // namespace k470::app
