// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands/stream_recording_commands.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <filesystem>

#include "app/commands/output_paths.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "app/sessions/instrument_session.h"
#include "base/text_encoding.h"
#include "frame/application_state.h"
#include "link/acquisition_controller.h"
#include "signal/processor_preset.h"

namespace k470::app {

namespace {

const QString kSignalFilter = QStringLiteral("*.sdt");

}  // namespace

StreamRecordingCommands::StreamRecordingCommands(const SessionEnv& env, InstrumentLinks& links)
    : env_(env),
      links_(links),
      recording_({env.frame.signalLock(), env.time.clock,
                  [&links](RecordingTap* tap) { links.SetRecordingTap(tap); }, nullptr}) {}

std::optional<QString> StreamRecordingCommands::askOutput() {
    const QString filter = tr("Signal files (%1)").arg(kSignalFilter);
    QString path = env_.dialogs.askSavePath(tr("Start recording"), QDir::currentPath(),
                                            filter + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return std::nullopt;
    // A device or a FIFO is written as it is named; a file gets the extension when it has none.
    std::error_code ec;
    const auto kind = std::filesystem::status(path.toStdString(), ec).type();
    if (kind != std::filesystem::file_type::character && kind != std::filesystem::file_type::block &&
        kind != std::filesystem::file_type::fifo)
        path = WithFilterExtension(path, filter);
    // The files the window reads while the stream runs: its settings and the processing presets.
    const QStringList inputs = {qs(env_.frame.store().path()),
                                qs(env_.frame.dataDir() + "/" + kPresetFileName)};
    if (IsOneOfInputs(path.toStdString(), inputs)) {
        env_.dialogs.showError(OutputIsInputMessage(path));
        return std::nullopt;
    }
    return path;
}

void StreamRecordingCommands::Start(uint32_t vin) {
    if (recording()) return;
    const std::optional<QString> path = askOutput();
    if (!path) return;
    SdtHeader header;
    uint64_t skip = 0;
    {
        std::lock_guard<std::mutex> guard(env_.frame.signalLock());
        header = recordingHeader(env_.frame.signalState());
        // A stream that has just started still has the rings' initial zeros in front.
        const auto ring = static_cast<uint64_t>(env_.frame.chain().outputRingLength());
        const uint64_t seen = links_.trace().appended();
        skip = seen < ring ? ring - seen : 0;
    }
    if (Status s = recording_.Start(path->toStdString(), header, {kStreamDeviceType, vin}, skip); !s) {
        env_.dialogs.showError(qs(s.error().message));
        return;
    }
    shownSeconds_ = 0;
}

void StreamRecordingCommands::Stop() {
    if (!recording()) return;
    if (Status s = recording_.Stop(); !s) env_.dialogs.showError(qs(s.error().message));
    shownSeconds_ = -1;
}

void StreamRecordingCommands::SetMarker() {
    if (!recording()) return;
    if (recording_.markersFull() &&
        !env_.dialogs.askYesNo(tr("Set marker"),
                               tr("All %1 markers of this record are used. Close the record and go on "
                                  "recording into a new one that starts with this marker?")
                                   .arg(kMarkerSlots)))
        return;  // the marker is refused
    // The marker takes the frame of the click; the dialog, which may stay open a while as the recording
    // goes on, only names it.
    Status s = recording_.SetMarker([this]() -> std::optional<std::u16string> {
        const int number = recording_.markersInRecord() + 1;
        const auto name =
            env_.dialogs.askText(tr("Set marker"), tr("Marker name:"), tr("Marker %1").arg(number));
        if (!name) return std::nullopt;
        const QString chosen = name->trimmed().isEmpty() ? tr("Marker %1").arg(number) : name->trimmed();
        return chosen.toStdU16String();
    });
    if (!s) told(s.error().message);
}

void StreamRecordingCommands::told(const std::string& message) {
    shownSeconds_ = -1;
    env_.dialogs.showError(qs(message));
}

bool StreamRecordingCommands::Tick(uint32_t vin) {
    if (!recording()) return false;
    recording_.setVin(vin);
    if (std::optional<std::string> end = recording_.Tick()) {
        told(*end);
        return true;
    }
    const auto seconds = static_cast<long long>(std::floor(recording_.seconds()));
    if (seconds == shownSeconds_) return false;
    shownSeconds_ = seconds;
    return true;
}

void StreamRecordingCommands::StreamEnded(bool tell) {
    if (!recording()) return;
    Status s = recording_.Stop();
    shownSeconds_ = -1;
    if (!tell) return;
    if (!s) {
        env_.dialogs.showError(qs(s.error().message));
        return;
    }
    env_.dialogs.showError(tr("The signal stopped: the recording ends. '%1' holds the %2 frames recorded.")
                               .arg(qs(recording_.path()))
                               .arg(recording_.frames()));
}

bool StreamRecordingCommands::AskClose() {
    if (!recording()) return true;
    if (!env_.dialogs.askYesNo(
            QStringLiteral("K470"),
            tr("Stop recording the signal into '%1'?").arg(QFileInfo(qs(recording_.path())).fileName())))
        return false;
    Stop();
    return true;
}

QString StreamRecordingCommands::status() const {
    if (!recording()) return {};
    const auto total = static_cast<long long>(std::floor(recording_.seconds()));
    const QString length = QStringLiteral("%1:%2:%3")
                               .arg(total / 3600)
                               .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(total % 60, 2, 10, QLatin1Char('0'));
    // Over an earlier file the recording grows under a name of its own until it ends (found there after a
    // crash).
    if (recording_.replacesEarlierFile())
        return tr("Recording %1 into '%2' (it replaces '%3' when it ends)")
            .arg(length, QFileInfo(qs(recording_.growingAt())).fileName(),
                 QFileInfo(qs(recording_.path())).fileName());
    return tr("Recording %1 into '%2'").arg(length, QFileInfo(qs(recording_.path())).fileName());
}

}  // namespace k470::app
