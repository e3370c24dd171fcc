// SPDX-License-Identifier: GPL-3.0-or-later
// "Start recording", "Stop recording" and "Set marker" of the raw-signal instrument's stream in the window:
// the save dialog for the signal file, the marker's name, the recording's length for the status field, and
// the messages when the recording ends by itself (a full disk, a silent stream, the instrument gone).
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

#include "app/sessions/session.h"
#include "frame/stream_recording.h"

namespace k470::app {

class InstrumentLinks;

class StreamRecordingCommands {
    Q_DECLARE_TR_FUNCTIONS(StreamRecordingCommands)

  public:
    // The recording's silence limit reads the session's clock.
    StreamRecordingCommands(const SessionEnv& env, InstrumentLinks& links);

    bool recording() const { return recording_.active(); }
    // "Start recording": asks for the file and records the chain's enabled output channels into it.
    void Start(uint32_t vin);
    // "Stop recording": the file is complete.
    void Stop();
    // "Set marker": asks for the name ("Marker N" proposed) and marks the current frame.
    void SetMarker();
    // After every acquisition tick, with the instrument's serial number as the acquisition knows it now;
    // true when what the window shows of the recording changed (its length in whole seconds, or its end).
    bool Tick(uint32_t vin);
    // The stream ended while recording: the file is finished, and the user is told when tell is set.
    void StreamEnded(bool tell);
    // Before the session closes: whether the user lets an active recording stop (it is then stopped).
    bool AskClose();
    // "Recording 0:01:23 into 'name.sdt'"; empty when not recording.
    QString status() const;
    const StreamRecording& state() const { return recording_; }

  private:
    // The path chosen in the save dialog, with ".sdt" added when missing; nothing when cancelled or refused.
    std::optional<QString> askOutput();
    void told(const std::string& message);

    SessionEnv env_;
    InstrumentLinks& links_;
    StreamRecording recording_;
    long long shownSeconds_ = -1;
};

}  // namespace k470::app
