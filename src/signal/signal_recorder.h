// SPDX-License-Identifier: GPL-3.0-or-later
// Records the processed live signal into a new signal file while it flows: the output channels of the
// processing chain at its decimated rate, with markers set at the current frame. The directory on disk is
// brought up to date at least once a second, so that a crash or a pulled cable loses at most the last
// second.
//
// Where the recording grows (base/safe_write.h, Placement::Growing): a new name is created at once and grows
// in place, so a killed program or a power loss leaves a readable file at the name asked for. An existing
// file is never opened: the recording grows beside it as "NAME.partial-XXXXXXXX.sdt" (growingAt() tells
// which) and replaces it only when the recording ends; after a crash the recording so far is found under
// that name and the earlier file is as it was.
//
// A failed write (a full disk) ends the recording and keeps what was recorded: the file at its name holds
// every frame written before (in place of the earlier file, if there was one, and the message says so). When
// not one frame had been recorded, nothing is kept: a new file is removed and an earlier one stays.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/result.h"
#include "data/sdt_container.h"
#include "signal/processing_chain.h"
#include "signal/signal_record.h"
#include "signal/signal_state.h"

namespace k470 {

// The directory is rewritten when this much time has passed since the last time it was: half the second
// that a crash may cost, so that the slowest tick (a read may wait up to a second for its bytes) still keeps
// within it.
constexpr uint32_t kRecordingDirectoryRefreshMs = 500;

// A stream that has been silent this long while recording is taken as gone (a pulled cable): the recording
// ends with what arrived. Three seconds ride out a slow start and a busy machine.
constexpr uint32_t kStreamSilenceLimitMs = 3000;

// The header of a recording of the chain's output: the sampling rate after decimation, the enabled output
// channels, their units and references, and the name of the processing preset (empty without one).
SdtHeader recordingHeader(const SignalState& state);

// The values of the present channels at a decimation instant of the chain, appended to out; nothing
// between the instants. Call after every sample that passed the chain.
void takeDecimatedFrame(const ProcessingChain& chain, uint16_t channelMask, std::vector<double>& out);

// Collects, sample by sample behind the chain (as the stream's sample observer, under the signal lock), the
// decimated frames of the recorded channels until the tick hands them to the recorder. The first samples
// it is told to skip are left out: a stream that has just started still has the rings' initial zeros.
class RecordingTap {
  public:
    RecordingTap(uint16_t channelMask, uint64_t skipSamples) : mask_(channelMask), skip_(skipSamples) {}
    void onSample(const ProcessingChain& chain) {
        if (seen_++ >= skip_) takeDecimatedFrame(chain, mask_, pending_);
    }
    std::vector<double>& pending() { return pending_; }

  private:
    uint16_t mask_;
    uint64_t skip_;
    uint64_t seen_ = 0;
    std::vector<double> pending_;
};

struct RecorderDeps {
    const Clock& clock;
    std::function<CalendarTime()> now;  // date and time of each record's start (default: local time)
    // Told when the recording ends by itself (a write failed), with the message for the user.
    std::function<void(const std::string&)> onStopped;
};

// A frame of a record of a recording, from 0 each.
struct MarkerPlace {
    uint32_t record = 0;
    uint32_t frame = 0;
};

struct RecordingSource {
    DeviceType deviceType = 26;
    uint32_t vin = 0;
};

class SignalRecorder {
  public:
    explicit SignalRecorder(RecorderDeps deps) : deps_(std::move(deps)) {}
    ~SignalRecorder();

    // Creates the file and opens its first record, dated now. Fails with a message when the file cannot be
    // made (nothing is left behind then), when it names a device, a pipe or standard output, or when no
    // channel is present. Placement::Whole makes the file in one go instead (made-up sample files): it takes
    // its name at Stop, and a failure leaves nothing and reports the write error.
    Status Start(const std::string& path, const SdtHeader& header, const RecordingSource& source,
                 Placement placement = Placement::Growing);
    // Appends whole frames (channelCount values each, in channel order). A failed write ends the recording
    // (onStopped is told) and gives its message.
    Status Append(std::span<const double> values);
    // A marker with that name at the current frame. When the 15 slots of the record are used, the record is
    // closed and a new one, dated now, continues the signal without a gap; the marker goes to its first
    // frame (a long recording keeps being markable, and no marker the user set is lost).
    Status AddMarker(const std::u16string& name);
    // Where a marker goes when it is set now and named later (the user types its name while the signal
    // goes on): the current frame of the current record, or, when the record's 15 slots are used, the first
    // frame of a new record begun here.
    Result<MarkerPlace> PlaceMarker();
    // A marker with that name at a place taken before. Should the record have ended since (it reached
    // kMaxRecordFrames), the marker goes to the first frame of the record that continues it.
    Status AddMarker(const std::u16string& name, MarkerPlace place);
    // Closes the current record and opens a new one, dated now, that continues the signal.
    Status NextRecord();
    // Brings the directory up to date when its refresh is due; call on every tick, with or without data.
    Status Tick();
    // Writes the directory and closes the file, putting it in place of an earlier file. Does nothing when
    // not recording.
    Status Stop();
    // The instrument's serial number, once it is known: it goes into the entry of the current record (on
    // disk at the next refresh) and of every later one.
    void setVin(uint32_t vin);

    bool active() const { return writer_.has_value(); }
    const std::string& path() const { return path_; }
    // Where the file grows while recording: the path, or the name beside an earlier file of that path.
    std::string growingAt() const { return writer_ ? writer_->output().writtenAt() : path_; }
    // True while the recording grows beside an earlier file that it replaces when it ends.
    bool replacesEarlierFile() const { return writer_ && writer_->output().replacesEarlierFile(); }
    uint32_t vin() const { return source_.vin; }
    int channelCount() const { return channels_; }
    // Frames of the current record, and of all records so far.
    uint32_t recordFrames() const { return recordFrames_; }
    uint64_t totalFrames() const { return totalFrames_; }
    uint32_t recordCount() const { return writer_ ? writer_->recordCount() : records_; }
    int markersInRecord() const { return markers_; }

  private:
    Status beginRecord();
    Status refreshDirectory();
    Status failed(const Error& error);

    RecorderDeps deps_;
    std::optional<SdtWriter> writer_;
    std::string path_;
    RecordingSource source_;
    Placement placement_ = Placement::Growing;
    int channels_ = 0;
    uint64_t markerArea_ = 0;  // offset of the reserved marker blocks of the current record
    uint64_t tableOffset_ = 0;
    MarkerTable table_;
    int markers_ = 0;
    uint32_t recordFrames_ = 0;
    uint64_t totalFrames_ = 0;
    uint32_t records_ = 0;
    uint32_t lastRefresh_ = 0;
    uint64_t goodEnd_ = 0;  // end of the data known to be written
};

}  // namespace k470
