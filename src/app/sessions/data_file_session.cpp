// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sessions/data_file_session.h"

#include <QDialog>
#include <QDir>

#include "app/commands/output_paths.h"
#include "app/commands/report_commands.h"
#include "app/dialogs/parameters_dialog.h"
#include "app/dialogs/user_dialogs.h"
#include "app/pages/signal/signal_filtration.h"
#include "app/qt_text.h"
#include "base/clock.h"
#include "frame/application_state.h"
#include "frame/frame_settings.h"
#include "views/record_commands.h"

namespace k470::app {

DataFileSession::DataFileSession(const SessionEnv& env, RecordFileSource source)
    : env_(env), source_(std::move(source)) {
    buildPages();
}

DataFileSession::~DataFileSession() {
    for (SourcePage* p : pages_) delete p;
}

void DataFileSession::buildPages() {
    context_ = NewPageContext(env_, source_.deviceType());
    context_.record = shownRecord();
    context_.file = &source_.file();
    for (views::PageKind kind : views::PagesFor(source_.deviceType(), source_.count()))
        pages_.push_back(MakeLevelPage(context_, kind, nullptr));
}

std::vector<Session::Page> DataFileSession::pages() const {
    return TabbedPages(pages_);
}

int DataFileSession::initialTab() const {
    return StoredTab(env_.frame.store(), static_cast<int>(pages_.size()));
}

views::ControlRow DataFileSession::controlRow() const {
    views::RecordFileFacts f;
    f.current = source_.current();
    f.count = source_.count();
    const int channels = source_.record().dimensions.channels;
    if (channels > 1) f.channels = NumberedChannels(channels);
    f.channelIndex = context_.channel;
    f.interval = IntervalText(source_.record().tail);
    f.averaging = averaged_.has_value();
    f.averageFirst = averageFirst_;
    f.averageLast = averageLast_;
    return views::RecordFileRow(f);
}

bool DataFileSession::allowed(Command command) const {
    switch (command) {
        case Command::SaveAsText:
            return true;
        case Command::PrintReport:
        case Command::ExportReportPdf:
            return hasLevelChoices(deviceType());  // a report plots a level
        case Command::SaveAsBinary:
        case Command::Misc:
        case Command::CopyToClipboard:
            return !pages_.empty();  // a page shows the record
        case Command::RecordPosition:
            return source_.count() > 1;
        default:
            return IsGlobalCommand(command);
    }
}

QString DataFileSession::status() const {
    return tr("Records: %1").arg(source_.count());
}

bool DataFileSession::run(Command command) {
    switch (command) {
        case Command::SaveAsText:
            onSaveAsText();
            return true;
        case Command::SaveAsBinary:
            onSaveAsBinary();
            return true;
        case Command::Misc:
            onMisc();
            return true;
        case Command::PrintReport:
            PrintReport({env_.frame.store(), env_.dialogs, env_.window}, source_.file().path(), deviceType());
            return true;
        case Command::ExportReportPdf:
            ExportReportPdf({env_.frame.store(), env_.dialogs, env_.window}, source_.file().path(),
                            deviceType());
            return true;
        case Command::RecordPosition:
            onRecordPosition();
            return true;
        case Command::SignalFiltration:
            RunSignalFiltration(env_.frame, env_.dialogs, env_.window,
                                FiltrationInput{source_.deviceType(), shownRecord(), nullptr, nullptr},
                                [this] { refreshPages(); });
            return true;
        default:
            return false;
    }
}

const MeasurementRecord* DataFileSession::shownRecord() const {
    return averaged_ ? &*averaged_ : &source_.record();
}

void DataFileSession::refreshPages() {
    context_.record = shownRecord();
    for (SourcePage* p : pages_) p->Refresh();
}

void DataFileSession::selectChannel(int index) {
    context_.channel = std::max(index, 0);
    refreshPages();
}

void DataFileSession::setAverageRange(const QString& first, const QString& last) {
    averageFirst_ = first.toStdString();
    averageLast_ = last.toStdString();
}

void DataFileSession::goToRecord(int k) {
    // A number outside the records changes nothing.
    if (k < 1 || k > source_.count()) return;
    if (Status s = source_.GoToRecord(k); !s) {
        env_.dialogs.showError(qs(s.error().message));
        return;
    }
    // An average follows the current record's header, so it is taken again.
    if (averaged_) {
        const views::ControlRow row = controlRow();
        auto r = views::AverageTypedRange(source_.file(), row.averageFirst.text, row.averageLast.text, k);
        if (r) averaged_ = std::move(*r);
    }
    refreshPages();
    changed(SessionObserver::Change::State);
}

void DataFileSession::onRecordPosition() {
    const auto n =
        env_.dialogs.askNumber(tr("Enter record position"), tr("Record position"), source_.current());
    if (n) goToRecord(*n);
}

void DataFileSession::setAveraging(bool on) {
    if (!on) {
        averaged_.reset();
    } else {
        const views::ControlRow row = controlRow();
        auto r = views::AverageTypedRange(source_.file(), row.averageFirst.text, row.averageLast.text,
                                          source_.current());
        if (!r) {
            env_.dialogs.showError(qs(r.error().message));
            averaged_.reset();
            changed(SessionObserver::Change::State);
            return;
        }
        averaged_ = std::move(*r);
    }
    refreshPages();
    changed(SessionObserver::Change::State);
}

namespace {
QString textFilter() {
    return DataFileSession::tr("Text files (*.txt)") + QStringLiteral(";;") +
           DataFileSession::tr("All Files (*)");
}
QString binFilter() {
    return DataFileSession::tr("Binary files (*.bin)") + QStringLiteral(";;") +
           DataFileSession::tr("All Files (*)");
}
}  // namespace

void DataFileSession::onSaveAsText() {
    const BinFile& file = source_.file();
    const QString out =
        env_.dialogs.askSavePath(tr("Save as text"), qs(views::ProposedTextName(file.path())), textFilter());
    if (out.isEmpty()) return;
    // The open file is never written over by its own text.
    if (IsOneOfInputs(out.toStdString(), file.path())) {
        env_.dialogs.showError(OutputIsInputMessage(out));
        return;
    }
    Status s = views::SaveShownRecordAsText(file, source_.current(), averaged_ ? &*averaged_ : nullptr,
                                            out.toStdString(), env_.frame.settings().linear,
                                            views::TemporaryRecordPath(), localTimeNow());
    if (!s) env_.dialogs.showError(qs(s.error().message));
}

void DataFileSession::onSaveAsBinary() {
    const QString out = env_.dialogs.askSavePath(tr("Save as binary"), QDir::currentPath(), binFilter());
    if (out.isEmpty()) return;
    if (IsOneOfInputs(out.toStdString(), source_.file().path())) {
        env_.dialogs.showError(OutputIsInputMessage(out));
        return;
    }
    if (Status s = WriteSingleRecordFile(out.toStdString(), *shownRecord(), localTimeNow()); !s)
        env_.dialogs.showError(qs(s.error().message));
}

void DataFileSession::onMisc() {
    ParametersDialog dialog([this] { return shownRecord(); }, context_, env_.window);
    env_.dialogs.runDialog(dialog);
    // "Linear" is a setting kept for the next start; the pages show the levels again in any case.
    env_.frame.settings().linear = context_.linear;
    refreshPages();
}

bool DataFileSession::close(int shownTab) {
    if (shownTab >= 0) SaveTablePos(env_.frame.store(), shownTab);
    return true;
}

}  // namespace k470::app
