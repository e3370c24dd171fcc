// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/signal_recorder.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/text_encoding.h"

namespace k470 {

namespace {

// A record holds at most this many frames (the entry's count is 32 bits); a longer recording goes on in a
// new record.
constexpr uint32_t kMaxRecordFrames = std::numeric_limits<uint32_t>::max();
constexpr size_t kMarkerArea = kMarkerSlots * kMarkerBlockSize;
constexpr size_t kMarkerNameUnits = kMarkerNameBytes / 2 - 1;  // and a terminating 0

std::u16string cut(const std::u16string& s, size_t units) {
    return s.size() > units ? s.substr(0, units) : s;
}

}  // namespace

SdtHeader recordingHeader(const SignalState& state) {
    SdtHeader h;
    h.sampleRate = state.outputRate();
    if (state.presetActive) h.processor = cut(utf8ToUtf16(state.presetName), 127);
    for (size_t k = 0; k < 3; ++k) {
        const SignalChannel& c = state.channels[k];
        if (channelEnabled(c)) h.channelMask = static_cast<uint16_t>(h.channelMask | (1u << k));
        h.units[k] = cut(utf8ToUtf16(c.units), 63);
        h.referenceValue[k] = c.referenceValue;
    }
    h.channelCount = static_cast<uint16_t>(h.presentChannels());
    return h;
}

void takeDecimatedFrame(const ProcessingChain& chain, uint16_t channelMask, std::vector<double>& out) {
    if (chain.decimationCounter() != 0) return;  // the counter restarts at each decimation instant
    for (int k = 0; k < 3; ++k)
        if (channelMask & (1u << k)) out.push_back(chain.decimatedOutput(k));
}

SignalRecorder::~SignalRecorder() {
    // A recording ends with what it holds; a file made in one go and left unfinished leaves nothing.
    if (placement_ == Placement::Whole) writer_.reset();
    (void)Stop();
}

Status SignalRecorder::Start(const std::string& path, const SdtHeader& header, const RecordingSource& source,
                             Placement placement) {
    if (active()) return fail(Word::RecordingAlreadyRunning, {path_});
    SdtHeader h = header;
    h.channelCount = static_cast<uint16_t>(h.presentChannels());
    if (h.channelCount == 0) return fail(Word::NothingToRecord);
    // A writer that fails here takes what it made with it.
    auto writer = SdtWriter::Create(path, h, placement);
    if (!writer) return writer.error();
    writer_.emplace(std::move(*writer));
    path_ = path;
    source_ = source;
    placement_ = placement;
    channels_ = h.channelCount;
    recordFrames_ = 0;
    totalFrames_ = 0;
    if (Status s = beginRecord(); !s) {
        writer_->output().Discard();  // nothing recorded yet: no file is better than a broken one
        writer_.reset();
        return s;
    }
    return {};
}

Status SignalRecorder::beginRecord() {
    // The marker blocks have their place reserved in front of the record's position table, so that a marker
    // set while samples flow is written in place and is on disk at once.
    const std::vector<uint8_t> area(kMarkerArea, 0);
    auto at = writer_->AppendRaw(area);
    if (!at) return at.error();
    markerArea_ = *at;
    table_ = MarkerTable{};
    uint8_t bytes[kMarkerTableSize];
    table_.encode(bytes);
    tableOffset_ = writer_->end();
    const CalendarTime stamp = deps_.now ? deps_.now() : localTimeNow();
    if (Status s = writer_->BeginRecord(source_.deviceType, source_.vin, stamp,
                                        std::span<const uint8_t, kMarkerTableSize>(bytes));
        !s)
        return s;
    markers_ = 0;
    recordFrames_ = 0;
    goodEnd_ = writer_->end();
    return refreshDirectory();
}

Status SignalRecorder::refreshDirectory() {
    lastRefresh_ = deps_.clock.nowMs();
    return writer_->Flush();
}

Status SignalRecorder::failed(const Error& error) {
    const int cause = errno;
    records_ = writer_->recordCount();
    OutputFile& out = writer_->output();
    if (placement_ == Placement::Whole) {
        out.Discard();
        writer_.reset();
        if (deps_.onStopped) deps_.onStopped(describe(error));
        return error;
    }
    // Nothing half-written stays behind the last whole piece, and the directory block is rewritten in place
    // (no new space needed), holding the frames written before.
    writer_->file().truncate(goodEnd_);
    (void)writer_->Flush();
    const std::string why = cause == ENOSPC || cause == EDQUOT ? lexicon().text(Word::DiskFull)
                            : cause == EFBIG ? lexicon().text(Word::FileSizeLimit)
                                             : describe(error);
    const bool replaces = out.replacesEarlierFile();
    const std::string frames = std::to_string(totalFrames_);
    std::string message;
    if (totalFrames_ == 0) {
        out.Discard();
        message = replaces ? substitute(lexicon().text(Word::RecordingStoppedEarlierKept), {why, path_})
                           : substitute(lexicon().text(Word::RecordingStoppedNothingMade), {why});
    } else if (Status kept = out.Commit(); !kept && replaces) {
        message = substitute(lexicon().text(Word::RecordingStoppedLeftAside),
                             {why, frames, out.writtenAt(), path_});
    } else {
        message = substitute(lexicon().text(replaces ? Word::RecordingStoppedReplaced : Word::RecordingStopped),
                             {why, path_, frames});
    }
    writer_.reset();
    if (deps_.onStopped) deps_.onStopped(message);
    return fail(message);
}

Status SignalRecorder::Append(std::span<const double> values) {
    if (!active()) return fail(Word::NotRecording);
    const size_t channels = static_cast<size_t>(channels_);
    size_t frames = values.size() / channels;
    size_t done = 0;
    while (done < frames) {
        if (recordFrames_ == kMaxRecordFrames)
            if (Status s = NextRecord(); !s) return s;
        const size_t n = std::min<size_t>(frames - done, kMaxRecordFrames - recordFrames_);
        errno = 0;
        if (Status s = writer_->AppendFrames(values.subspan(done * channels, n * channels),
                                             static_cast<uint32_t>(n));
            !s)
            return failed(s.error());
        recordFrames_ += static_cast<uint32_t>(n);
        totalFrames_ += n;
        goodEnd_ = writer_->end();
        done += n;
    }
    return Tick();
}

Status SignalRecorder::NextRecord() {
    if (!active()) return fail(Word::NotRecording);
    errno = 0;
    if (Status s = refreshDirectory(); !s) return failed(s.error());
    if (Status s = beginRecord(); !s) return failed(s.error());
    return {};
}

Status SignalRecorder::AddMarker(const std::u16string& name) {
    auto place = PlaceMarker();
    if (!place) return place.error();
    return AddMarker(name, *place);
}

Result<MarkerPlace> SignalRecorder::PlaceMarker() {
    if (!active()) return fail(Word::NotRecording);
    if (markers_ == static_cast<int>(kMarkerSlots))
        if (Status s = NextRecord(); !s) return s.error();
    return MarkerPlace{writer_->recordCount() - 1, recordFrames_};
}

Status SignalRecorder::AddMarker(const std::u16string& name, MarkerPlace place) {
    if (!active()) return fail(Word::NotRecording);
    if (markers_ == static_cast<int>(kMarkerSlots))
        if (Status s = NextRecord(); !s) return s;
    MarkerBlock block;
    const bool sameRecord = place.record == writer_->recordCount() - 1 && place.frame <= recordFrames_;
    block.frame = sameRecord ? place.frame : 0;
    const std::u16string units = cut(name, kMarkerNameUnits);
    for (size_t i = 0; i < units.size(); ++i) writeU16(block.nameField.data() + 2 * i, units[i]);
    uint8_t bytes[kMarkerBlockSize];
    block.encode(bytes);
    const uint64_t at = markerArea_ + static_cast<uint64_t>(markers_) * kMarkerBlockSize;
    // The block first, then its slot: a crash in between leaves the slot empty, never pointing at nothing.
    table_.blockOffsets[static_cast<size_t>(markers_)] = at;
    uint8_t table[kMarkerTableSize];
    table_.encode(table);
    errno = 0;
    if (!writer_->file().writeAt(at, bytes, sizeof bytes) ||
        !writer_->file().writeAt(tableOffset_, table, sizeof table))
        return failed(fail(lexicon().cantWriteFile(path_), std::strerror(errno != 0 ? errno : EIO)));
    ++markers_;
    return {};
}

Status SignalRecorder::Tick() {
    if (!active()) return {};
    if (deps_.clock.nowMs() - lastRefresh_ < kRecordingDirectoryRefreshMs) return {};
    errno = 0;
    if (Status s = refreshDirectory(); !s) return failed(s.error());
    return {};
}

void SignalRecorder::setVin(uint32_t vin) {
    source_.vin = vin;
    if (writer_) writer_->setRecordVin(vin);
}

Status SignalRecorder::Stop() {
    if (!active()) return {};
    records_ = writer_->recordCount();
    errno = 0;
    if (placement_ == Placement::Whole) {
        Status finished = writer_->Finish();  // a writer dropped unfinished leaves nothing behind
        writer_.reset();
        return finished;
    }
    // A recording is kept whatever fails here: the directory on disk is at most one refresh behind.
    Status flushed = writer_->Flush();
    const int flushError = errno != 0 ? errno : EIO;
    OutputFile& out = writer_->output();
    const bool beside = out.replacesEarlierFile();
    Status committed = out.Commit();
    const std::string at = out.writtenAt();
    writer_.reset();
    if (!committed) {
        if (!beside) return committed;
        return fail(describe(committed.error()) + ". " +
                    substitute(lexicon().text(Word::RecordingKeptAt), {at}));
    }
    if (!flushed) return fail(lexicon().cantWriteFile(path_), std::strerror(flushError));
    return {};
}

}  // namespace k470
