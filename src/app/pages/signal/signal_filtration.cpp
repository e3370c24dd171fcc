// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/signal/signal_filtration.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "app/commands/output_paths.h"
#include "app/dialogs/batch_progress.h"
#include "app/dialogs/signal_parameters_dialog.h"
#include "app/dialogs/user_dialogs.h"
#include "app/qt_text.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "frame/application_state.h"
#include "signal/reprocess.h"

namespace k470::app {

namespace {

// A copy that takes its name only when whole (an earlier file of that name stays until then).
Status copyThroughSafeOutput(const std::string& from, const std::string& to) {
    auto out = OutputFile::Create(to);
    if (!out) return out.error();
    std::ifstream in(from, std::ios::binary);
    if (!in) return fail(lexicon().cantOpenFile(from));
    std::vector<char> buffer(size_t{1} << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto n = static_cast<size_t>(in.gcount());
        if (n > 0 && !out->file().write(buffer.data(), n)) return fail(lexicon().cantWriteFile(to));
    }
    if (in.bad()) return fail(lexicon().cantOpenFile(from));
    return out->Commit();
}

void processFile(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent, const FiltrationInput& input,
                 const ChannelSetupSource& source, const std::function<void()>& changed);

}  // namespace

void RunSignalFiltration(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent,
                         const FiltrationInput& input, const std::function<void()>& changed) {
    SignalState& state = frame.signalState();
    const SdtContainer* sdt = input.sdt;
    const DeviceType type = input.type;
    SignalState copy = state;
    // The response plot reads the rate of the file being replayed.
    if (sdt && sdt->header().sampleRate > 0.0) copy.sampleRate = sdt->header().sampleRate;
    SignalParameters::Setup setup;
    setup.replaySpeed = frame.replaySpeedFactor();
    setup.replayMode = sdt != nullptr;
    setup.threeChannelInput = isThreeChannelType(type) || (sdt && sdt->header().presentChannels() > 1);
    // "original signal" shows the quantities the channel set-up gives without a preset, which are what an
    // "OK" with the original signal leaves.
    const ChannelSetupSource source = ChannelSetupSourceOf(type, input.record, sdt);
    SignalState original = state;
    original.presetActive = false;
    applyChannelSetup(original, source);
    SignalParametersDialog dialog(SignalParameters(copy, frame.presets(), frame.filterLibrary(), setup,
                                                   SignalParametersDialog::Words()),
                                  original, parent);
    dialog.resetFilters = [&frame] {
        std::lock_guard<std::mutex> guard(frame.signalLock());
        frame.chain().resetHistories();
    };
    // Preset processing is off while the dialog is open.
    const bool presetBefore = state.presetActive;
    state.presetActive = false;
    const int code = dialogs.runDialog(dialog);
    if (code != QDialog::Accepted || !dialog.confirmed()) {
        std::lock_guard<std::mutex> guard(frame.signalLock());
        RestoreSignalParameters(dialog.model(), presetBefore, state, frame.presets(), frame.filterLibrary(),
                                frame.chain(), source);
        changed();
        return;
    }
    int speed = frame.replaySpeedFactor();
    {
        std::lock_guard<std::mutex> guard(frame.signalLock());
        ApplySignalParameters(dialog.model(), state, frame.presets(), speed, frame.filterLibrary(),
                              frame.chain(), source);
    }
    frame.setReplaySpeedFactor(speed);
    changed();  // units and references may have changed the labels
    if (dialog.processRequested() && sdt && input.processed)
        processFile(frame, dialogs, parent, input, source, changed);
}

namespace {

void processFile(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent, const FiltrationInput& input,
                 const ChannelSetupSource& source, const std::function<void()>& changed) {
    const SdtContainer* sdt = input.sdt;
    SignalState& state = frame.signalState();
    ProcessedFileHolder& processed = *input.processed;
    // The previous processed file goes before a new one is made.
    processed.reset();
    // The file is processed with the preset as chosen, also where the replay showed it as stored.
    if (state.presetActive) frame.ApplyActivePreset();
    auto temporary = createTemporarySignalFile();
    if (!temporary) {
        dialogs.showError(qs(temporary.error().message));
        return;
    }
    ReprocessContext context{state,
                             frame.filterLibrary(),
                             frame.chain(),
                             source,
                             state.presetActive ? utf8ToUtf16(state.presetName) : std::u16string(),
                             std::nullopt};
    BatchProgress progress(SignalParametersDialog::tr("Processing..."), 100, parent, dialogs.showProgress);
    auto done =
        ReprocessSignalFile(sdt->path(), *temporary, context, [&progress](const ReprocessProgress& p) {
            return progress.Step(BatchPercent(p.record, p.records, p.percent));
        });
    progress.Finish();
    if (!done) {
        std::error_code ec;
        std::filesystem::remove(*temporary, ec);
        if (!progress.cancelled()) dialogs.showError(qs(done.error().message));
        return;
    }
    std::vector<Error> problems = done->problems;
    processed.keep(std::move(*done));
    changed();

    // Nothing in the window shows the processed signal yet: a copy can be kept where the user wants it.
    const QFileInfo info(qs(sdt->path()));
    const QString proposed = info.dir().filePath(info.completeBaseName() + QStringLiteral("_processed.sdt"));
    const QString out = dialogs.askSavePath(SignalParametersDialog::tr("Save processed signal"), proposed,
                                            SignalParametersDialog::tr("Data files (*.sdt)"));
    if (!out.isEmpty()) {
        // The file being replayed is never overwritten by its own processed signal.
        if (IsOneOfInputs(out.toStdString(), sdt->path())) {
            dialogs.showError(SignalParametersDialog::tr("Can't write file '%1'").arg(out));
        } else if (Status s = copyThroughSafeOutput(processed.get()->path, out.toStdString()); !s) {
            dialogs.showError(qs(describe(s.error())));
        }
    }
    if (!problems.empty()) {
        QStringList lines;
        for (const Error& e : problems) lines << qs(e.message);
        dialogs.showError(lines.join(QLatin1Char('\n')));
    }
}

}  // namespace

}  // namespace k470::app
