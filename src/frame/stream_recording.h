// SPDX-License-Identifier: GPL-3.0-or-later
// "Start recording" of the raw-signal instrument's stream in the window, without widgets: a tap behind the
// processing chain collects the decimated frames of the recorded channels under the signal lock, and every
// tick hands them to the signal recorder. The recording ends by "Stop recording", by a failed write (a full
// disk keeps what was written) or when the stream falls silent; a marker goes to the frame current when
// it is set, however long its naming takes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/result.h"
#include "signal/signal_recorder.h"

namespace k470::app {

struct StreamRecordingDeps {
    std::mutex& signalLock;
    const Clock& clock;
    // Puts the tap behind the chain, or takes it away (null); called with the signal lock held.
    std::function<void(RecordingTap*)> installTap;
    std::function<CalendarTime()> now;  // date and time of each record's start (default: local time)
};

class StreamRecording {
  public:
    explicit StreamRecording(StreamRecordingDeps deps);
    ~StreamRecording();
    StreamRecording(const StreamRecording&) = delete;
    StreamRecording& operator=(const StreamRecording&) = delete;

    // Creates the file and puts the tap behind the chain. The first skipSamples samples are left out (the
    // rings of a stream that has just started still hold their initial zeros).
    Status Start(const std::string& path, const SdtHeader& header, const RecordingSource& source,
                 uint64_t skipSamples);
    // One tick: the frames collected since the last one go to the file. When the recording ended by itself
    // (a failed write, or no frame for kStreamSilenceLimitMs) the message for the user; the file then keeps
    // everything written before.
    std::optional<std::string> Tick();
    // "Set marker": the marker takes the frame that is current now (all that passed the chain until now
    // lies before it); askName then names it, and may take its time while frames go on arriving and being
    // recorded (a dialog). No marker is set when askName gives nothing or the recording ended meanwhile.
    Status SetMarker(const std::function<std::optional<std::u16string>()>& askName);
    // Ends the recording: the frames collected so far are written and the file is complete. Nothing
    // happens when not recording.
    Status Stop();

    // The instrument's serial number for the records from now on (the stream tells it a moment after it
    // starts).
    void setVin(uint32_t vin) {
        if (vin != recorder_.vin()) recorder_.setVin(vin);
    }
    bool active() const { return recorder_.active(); }
    // Where the file grows, and whether it replaces an earlier file when the recording ends.
    std::string growingAt() const { return recorder_.growingAt(); }
    bool replacesEarlierFile() const { return recorder_.replacesEarlierFile(); }
    // The file of the recording going on, or of the last one.
    const std::string& path() const { return recorder_.path(); }
    uint64_t frames() const { return recorder_.totalFrames(); }
    uint32_t records() const { return recorder_.recordCount(); }
    // The length of the signal recorded, in seconds.
    double seconds() const;
    // The markers of the current record, and whether its slots are all used.
    int markersInRecord() const { return recorder_.markersInRecord(); }
    bool markersFull() const { return recorder_.markersInRecord() >= static_cast<int>(kMarkerSlots); }

  private:
    // The frames collected behind the chain go to the recorder.
    Status flush();
    void removeTap();
    std::optional<std::string> ended(std::string message);

    StreamRecordingDeps deps_;
    SignalRecorder recorder_;
    std::unique_ptr<RecordingTap> tap_;
    std::vector<double> frames_;  // taken from the tap, written outside the signal lock
    double rate_ = 0.0;
    uint32_t lastData_ = 0;
};

}  // namespace k470::app
