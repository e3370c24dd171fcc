// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands/global_commands.h"

#include <QDialog>
#include <QFile>

#include "app/commands/output_paths.h"
#include "app/dialogs/batch_progress.h"
#include "app/dialogs/notepad_dialog.h"
#include "app/dialogs/percentiles_dialog.h"
#include "app/dialogs/record_selection_dialog.h"
#include "app/dialogs/report_dialog.h"
#include "app/dialogs/tele_parameters_dialog.h"
#include "app/dialogs/translation_parameters_dialog.h"
#include "app/dialogs/user_dialogs.h"
#include "app/pages/signal/signal_filtration.h"
#include "app/qt_text.h"
#include "app/sessions/data_file_session.h"
#include "app/sessions/signal_file_session.h"
#include "app/sessions/sound_file_session.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "data/file_kind.h"
#include "export/merge.h"
#include "export/report.h"
#include "export/text_export.h"
#include "frame/application_state.h"
#include "frame/record_file_source.h"
#include "views/record_commands.h"
#include "views/signal_commands.h"

namespace k470::app {

namespace {

QString textFilter() {
    return GlobalCommands::tr("Text files (*.txt)") + QStringLiteral(";;") +
           GlobalCommands::tr("All Files (*)");
}
QString binFilter() {
    return GlobalCommands::tr("Binary files (*.bin)") + QStringLiteral(";;") +
           GlobalCommands::tr("All Files (*)");
}

}  // namespace

// The one place that decides which kind of source a file is.
Result<std::unique_ptr<Session>> OpenFileSession(const SessionEnv& env, const std::string& path,
                                                 std::string& title) {
    // A name of no known kind is tried as a signal container.
    const FileKind kind = fileKindOfPath(path).value_or(FileKind::Signal);
    if (kind == FileKind::Records) {
        auto source = RecordFileSource::Open(path, title);
        if (!source) return source.error();
        return std::unique_ptr<Session>(std::make_unique<DataFileSession>(env, std::move(*source)));
    }
    if (kind == FileKind::Sound) return OpenSoundFileSession(env, path);
    auto session = SignalFileSession::Open(env, path);
    if (!session) return session.error();
    return std::unique_ptr<Session>(std::move(*session));
}

GlobalCommands::GlobalCommands(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent,
                               SessionHost& host)
    : frame_(frame), dialogs_(dialogs), parent_(parent), host_(host), links_(frame) {
    recent_.Load(frame.store());
}

GlobalCommands::~GlobalCommands() = default;

void GlobalCommands::run(Command command) {
    switch (command) {
        case Command::Open:
            onOpen();
            break;
        case Command::Data:
            onData();
            break;
        case Command::TeleParameters:
            TeleParametersDialog::Edit(
                frame_.store(), parent_,
                [this](TeleParametersDialog& d) { return dialogs_.runDialog(d) == QDialog::Accepted; },
                dialogs_.showError);
            break;
        case Command::TranslateBinToTxt:
            onTranslateBinToTxt();
            break;
        case Command::MergeToOneTxt:
            onMergeToOneTxt();
            break;
        case Command::TranslateSdtToWav:
        case Command::TranslateSdtToTxt:
            onTranslateSdt(command == Command::TranslateSdtToWav);
            break;
        case Command::CalcPercentiles:
            onCalcPercentiles();
            break;
        case Command::MakeReport:
            onMakeReport();
            break;
        case Command::Notepad: {
            NotepadDialog dialog(notepad_, parent_);
            dialogs_.runDialog(dialog);
            break;
        }
        case Command::SignalFiltration:
            RunSignalFiltration(frame_, dialogs_, parent_, FiltrationInput{}, [] {});
            host_.sessionStateChanged();
            break;
        case Command::About:
            dialogs_.showAbout();
            break;
        case Command::SelectLanguage:
            onSelectLanguage();
            break;
        case Command::Quit:
            host_.quit();
            break;
        default:
            if (const int i = RecentFileIndex(command); i >= 0) onRecentFile(i);
            break;
    }
}

void GlobalCommands::onOpen() {
    const QString path = dialogs_.askOpenPath();
    if (!path.isEmpty()) OpenPath(path.toStdString());
}

void GlobalCommands::onRecentFile(int index) {
    if (const auto path = recent_.FileAt(index)) OpenPath(*path);
}

void GlobalCommands::OpenPath(const std::string& path) {
    // An active autorecording is stopped only when the user agrees.
    if (!host_.closeSession()) return;
    std::string title = kDefaultTitle;
    auto session = OpenFileSession(host_.sessionEnv(), path, title);
    if (!session) {
        idleTitle_ = title;
        host_.sessionStateChanged();
        dialogs_.showError(qs(session.error().message));
        return;
    }
    idleTitle_ = kDefaultTitle;
    recent_.Add(path);
    host_.openSession(std::move(*session));
}

void GlobalCommands::onData() {
    // The current source closes first: a file's pages go, a running acquisition ends.
    if (!host_.closeSession()) return;
    idleTitle_ = kDefaultTitle;
    auto session = std::make_unique<InstrumentSession>(host_.sessionEnv(), links_);
    InstrumentSession& instrument = *session;
    host_.openSession(std::move(session));
    // Without an answer the session has ended; the window closes it when the command is over.
    instrument.Start();
}

bool GlobalCommands::refusedAsInput(const QString& output, const QStringList& inputs) {
    if (!IsOneOfInputs(output.toStdString(), inputs)) return false;
    dialogs_.showError(OutputIsInputMessage(output));
    return true;
}

void GlobalCommands::onTranslateBinToTxt() {
    const QStringList files = dialogs_.askOpenPaths(tr("Translate .bin to .txt"), binFilter());
    if (files.isEmpty()) return;
    // Every output is asked for before the work starts, so no progress box stands over a save dialog.
    std::vector<std::pair<std::string, std::string>> jobs;
    for (const QString& file : files) {
        const std::string bin = file.toStdString();
        // An input that cannot be opened ends the command before its output is asked for.
        if (auto f = BinFile::Open(bin); !f) {
            dialogs_.showError(qs(f.error().message));
            return;
        }
        const QString out =
            dialogs_.askSavePath(tr("Save as text"), qs(views::ProposedTextName(bin)), textFilter());
        if (out.isEmpty() || refusedAsInput(out, files)) return;
        jobs.emplace_back(bin, out.toStdString());
    }
    BatchProgress progress(tr("Translating..."), static_cast<int>(jobs.size()), parent_);
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (Status s = views::TranslateFileToText(jobs[i].first, jobs[i].second); !s) {
            progress.Finish();
            dialogs_.showError(qs(s.error().message));
            return;
        }
        if (!progress.Step(static_cast<int>(i + 1))) return;
    }
}

void GlobalCommands::onMergeToOneTxt() {
    const QStringList files = dialogs_.askOpenPaths(tr("Merge to one .txt"), binFilter());
    if (files.isEmpty()) return;
    const QString out = dialogs_.askSavePath(
        tr("Merge to one .txt"), qs(views::ProposedTextName(files.front().toStdString())), textFilter());
    if (out.isEmpty() || refusedAsInput(out, files)) return;
    // Written beside the target and put in place when whole (an earlier file stays until then).
    auto output = OutputFile::Create(out.toStdString());
    if (!output) {
        dialogs_.showError(qs(describe(output.error())));
        return;
    }
    const TextExporter exporter;
    {
        TextWriter writer(output->file());
        BatchProgress progress(tr("Merging..."), static_cast<int>(files.size()), parent_);
        for (int i = 0; i < files.size(); ++i) {
            const std::string path = files[i].toStdString();
            // One file at a time, so that a long batch shows its progress and can stop between files.
            if (Status s = MergeToText(std::span<const std::string>(&path, 1), writer, exporter); !s) {
                progress.Finish();
                dialogs_.showError(qs(s.error().message));
                return;
            }
            if (!progress.Step(i + 1)) break;
        }
        if (!writer.flush()) {
            dialogs_.showError(qs(lexicon().cantWriteFile(out.toStdString())));
            return;
        }
    }
    if (Status s = output->Commit(); !s) dialogs_.showError(qs(describe(s.error())));
}

void GlobalCommands::onTranslateSdt(bool wav) {
    const QString title = wav ? tr("Translate .sdt to .wav") : tr("Translate .sdt to .txt");
    const QString path =
        dialogs_.askOpenFile(title, tr("Data files (*.sdt)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    // The views of the open source close before the signal file is read.
    if (!host_.closeSession()) return;
    const std::string source = path.toStdString();
    std::vector<views::SignalRecordRow> rows;
    {
        auto file = SdtContainer::Open(source);
        if (!file) {
            dialogs_.showError(qs(file.error().message));
            return;
        }
        views::SignalRecordRows listed = views::ListSignalRecords(*file);
        if (listed.rows.empty()) {
            dialogs_.showError(
                qs(listed.problem ? listed.problem->message : lexicon().text(Word::NoSourceData)));
            return;
        }
        rows = std::move(listed.rows);
    }
    RecordSelectionDialog selection(rows, parent_);
    if (dialogs_.runDialog(selection) != QDialog::Accepted) return;
    if (wav) {
        TranslationParametersDialog parameters(translation_, parent_);
        if (dialogs_.runDialog(parameters) != QDialog::Accepted) return;
        translation_ = parameters.parameters();
    }
    BatchProgress progress(title, 100, parent_, dialogs_.showProgress);
    const auto onProgress = [&progress](const ConversionProgress& p) {
        return progress.Step(BatchPercent(p.record, p.records, p.percent));
    };
    const RecordSelection chosen = views::SelectionOfRows(selection.checked());
    auto report = wav ? ConvertSdtToWav(source, chosen, translation_, onProgress)
                      : ConvertSdtToText(source, chosen, onProgress);
    progress.Finish();
    if (!report)
        dialogs_.showError(qs(report.error().message));
    else if (const std::string problems = views::ConversionProblemText(*report); !problems.empty())
        dialogs_.showError(qs(problems));
}

std::optional<FileSet> GlobalCommands::askFileSetOfOneType(const QString& title,
                                                           std::vector<std::string>& paths) {
    const QStringList files = dialogs_.askOpenPaths(title, binFilter());
    if (files.isEmpty()) return std::nullopt;
    paths.clear();
    for (const QString& f : files) paths.push_back(f.toStdString());
    auto set = ScanFileSet(paths);
    if (!set) {
        dialogs_.showError(qs(set.error().message));
        return std::nullopt;
    }
    return std::move(*set);
}

void GlobalCommands::onCalcPercentiles() {
    std::vector<std::string> paths;
    const auto set = askFileSetOfOneType(tr("Calc percentiles"), paths);
    if (!set) return;
    PercentilesDialog dialog(frame_.store(), std::move(paths), set->type, parent_);
    dialog.showError = dialogs_.showError;
    dialogs_.runDialog(dialog);
}

void GlobalCommands::onMakeReport() {
    std::vector<std::string> paths;
    const auto set = askFileSetOfOneType(tr("Make report"), paths);
    if (!set) return;
    ReportDialog dialog(ReportConfigPath(), set->type, parent_);
    if (dialogs_.runDialog(dialog) != QDialog::Accepted) return;
    const QString out = dialogs_.askSavePath(tr("Make report"), QString(), textFilter());
    QStringList inputs;
    for (const std::string& p : paths) inputs << qs(p);
    if (out.isEmpty() || refusedAsInput(out, inputs)) return;
    auto output = OutputFile::Create(out.toStdString());
    if (!output) {
        dialogs_.showError(qs(describe(output.error())));
        return;
    }
    BatchProgress progress(tr("Making report..."), 100, parent_);
    Status s;
    {
        TextWriter writer(output->file());
        s = WriteReport(*set, dialog.columns().columns(), dialog.switches(), writer,
                        [&progress](int percent) { return progress.Step(percent); });
        if (!s) writer.buffer().clear();
    }
    progress.Finish();
    // A report that was cancelled or failed leaves no half-written file behind (the output is dropped).
    if (s) s = output->Commit();
    if (!s && !progress.cancelled()) dialogs_.showError(qs(describe(s.error())));
}

void GlobalCommands::onSelectLanguage() {
    if (!dialogs_.askYesNo(tr("Select new language"),
                           tr("After selecting new language program will be closed.\nContinue?")))
        return;
    if (dialogs_.runLanguageDialog()) host_.quit();
}

}  // namespace k470::app
