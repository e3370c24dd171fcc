#include "app/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <QInputDialog>
#include <QStandardPaths>

#include "app/acquisition_window.h"
#include "app/analysis_dialogs.h"
#include "app/batch_progress.h"
#include "app/command_ids.h"
#include "app/misc_dialogs.h"
#include "app/replay_window.h"
#include "app/signal_dialogs.h"
#include "app/signal_page.h"
#include "app/tool_icons.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "data/dos_date_time.h"
#include "export/file_set.h"
#include "export/merge.h"
#include "export/report.h"
#include "export/text_export.h"
#include "link/instrument_protocol.h"
#include "views/record_commands.h"
#include "views/signal_commands.h"
#include "views/signal_trace.h"

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

MainDialog::MainDialog(FrameController& frame, QWidget* parent) : QMainWindow(parent), frame_(frame) {
    setWindowIcon(ApplicationIcon());
    // The handlers built so far; every other command stays disabled until its feature is built.
    frame_.commands().setHandled({CmdOpen,
                                  CmdRecentFile1,
                                  CmdRecentFile1 + 1,
                                  CmdRecentFile1 + 2,
                                  CmdRecentFile4,
                                  CmdAbout,
                                  CmdSelectLanguage,
                                  CmdSaveAsText,
                                  CmdSaveAsBinary,
                                  CmdTranslateBinToTxt,
                                  CmdMergeToOneTxt,
                                  CmdCalcPercentiles,
                                  CmdMakeReport,
                                  CmdCopyToClipboard,
                                  CtlRecordPosition,
                                  CtlRecordUpDown,
                                  CtlAverage,
                                  CmdMisc,
                                  CmdNotepad,
                                  CmdTranslateSdtToTxt,
                                  CmdTranslateSdtToWav,
                                  CtlPlay,
                                  CtlPause,
                                  CtlReplayRange,
                                  CmdSignalFiltration});
    frame_.commands().setHandled({CmdData, CmdTeleParameters, CmdReset, CmdStartStop, CmdStartRecording,
                                  CmdStopRecording, CmdSetMarker});
    frame_.Initialise();
    buildMenus();
    buildToolBar();
    buildControls();
    restorePlacement();

    askOpenPath = [this] {
        return QFileDialog::getOpenFileName(
            this, tr("Open"), QDir::currentPath(),
            tr("All device files (*.bin *.sdt)") + QStringLiteral(";;") + tr("Binary files (*.bin)") +
                QStringLiteral(";;") + tr("Data files (*.sdt)") + QStringLiteral(";;") + tr("All Files (*)"));
    };
    askOpenFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, QDir::currentPath(), filter);
    };
    showError = [this](const QString& message) {
        QMessageBox::warning(this, QStringLiteral("K470"), message);
    };
    askYesNo = [this](const QString& title, const QString& question) {
        return QMessageBox::question(this, title, question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    runLanguageDialog = [] { return false; };
    askSavePath = [this](const QString& title, const QString& proposed, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, proposed, filter);
    };
    askOpenPaths = [this](const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileNames(this, title, QDir::currentPath(), filter);
    };
    askNumber = [this](const QString& title, const QString& label, int value) -> std::optional<int> {
        bool ok = false;
        const int n = QInputDialog::getInt(this, title, label, value, 0, 1000000000, 1, &ok);
        return ok ? std::optional<int>(n) : std::nullopt;
    };
    askText = [this](const QString& title, const QString& label,
                     const QString& value) -> std::optional<QString> {
        bool ok = false;
        const QString t = QInputDialog::getText(this, title, label, QLineEdit::Normal, value, &ok);
        return ok ? std::optional<QString>(t) : std::nullopt;
    };
    runDialog = [](QDialog& d) { return d.exec(); };
    showAbout = [this] {
        QMessageBox box(this);
        box.setWindowTitle(tr("About K470"));
        box.setIconPixmap(ApplicationIcon().pixmap(64, 64));
        box.setText(tr("<b>K470</b> version %1").arg(QStringLiteral(K470_VERSION)));
        box.setInformativeText(
            tr("Utility for sound level, vibration, infrasound, ultrasound and field meters: "
               "live data, device data files, text export and signal replay."));
        box.exec();
    };

    replay_ = std::make_unique<ReplayWindow>(frame_);
    connect(replay_.get(), &ReplayWindow::stateChanged, this, [this] { refresh(); });
    connect(replay_.get(), &ReplayWindow::recordChanged, this, [this] { refreshPages(); });
    connect(replay_.get(), &ReplayWindow::replayStarted, this, [this] { refreshPages(); });
    connect(replay_.get(), &ReplayWindow::newData, this, [this] {
        if (auto* p = qobject_cast<LevelPage*>(tabs_->currentWidget())) p->Refresh();
        static_cast<QProgressBar*>(controls_[CtlProgress])->setValue(replay_->progress());
    });
    askMarker = [this](const QString& title, const QStringList& names) -> std::optional<int> {
        bool ok = false;
        const QString chosen = QInputDialog::getItem(this, title, tr("Marker"), names, 0, false, &ok);
        if (!ok) return std::nullopt;
        const int i = static_cast<int>(names.indexOf(chosen));
        return i >= 0 ? std::optional<int>(i) : std::nullopt;
    };
    runMenu = [this](QMenu& menu) {
        QWidget* button = controls_[CtlReplayRange];
        return menu.exec(button->mapToGlobal(QPoint(0, button->height())));
    };

    acquisition_ = std::make_unique<AcquisitionWindow>(*this);
    connect(acquisition_.get(), &AcquisitionWindow::stateChanged, this, [this] { refresh(); });
    connect(acquisition_.get(), &AcquisitionWindow::openPages, this, [this] { onInstrumentAnswered(); });
    connect(acquisition_.get(), &AcquisitionWindow::closePages, this, [this] {
        // "Data" closes the current source: a file's pages go, and a replay ends before the instrument
        // takes the processing chain.
        destroyPages();
        replay_->Stop();
        refresh();
    });
    connect(acquisition_.get(), &AcquisitionWindow::newData, this, [this] { onInstrumentData(); });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto* quit = new QShortcut(QKeySequence::Quit, this);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
    refresh();
}

MainDialog::~MainDialog() = default;

QAction* MainDialog::addCommand(QMenu* menu, int id, const QString& text) {
    auto* a = new QAction(text, this);
    connect(a, &QAction::triggered, this, [this, id] { Dispatch(id); });
    actions_[id] = a;
    if (menu) menu->addAction(a);
    return a;
}

QAction* MainDialog::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainDialog::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void MainDialog::buildMenus() {
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    addCommand(fileMenu_, CmdOpen, tr("&Open..."))->setShortcut(QKeySequence::Open);
    addCommand(fileMenu_, CmdSaveAsBinary, tr("Save as &binary..."));
    addCommand(fileMenu_, CmdSaveAsText, tr("Save as &text..."));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, CmdTranslateBinToTxt, tr("Translate .bin to .txt..."));
    addCommand(fileMenu_, CmdMergeToOneTxt, tr("Merge to one .txt..."));
    addCommand(fileMenu_, CmdMakeReport, tr("Make report..."));
    addCommand(fileMenu_, CmdCalcPercentiles, tr("Calc percentiles..."));
    addCommand(fileMenu_, CmdTranslateSdtToTxt, tr("Translate .sdt to .txt..."));
    addCommand(fileMenu_, CmdTranslateSdtToWav, tr("Translate .sdt to .wav..."));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, CmdTeleParameters, tr("Tele parameters..."));
    fileMenu_->addSeparator();
    for (int id = CmdRecentFile1; id <= CmdRecentFile4; ++id) addCommand(fileMenu_, id, QStringLiteral("-"));

    QMenu* acquisition = menuBar()->addMenu(tr("&Acquisition"));
    addCommand(acquisition, CmdData, tr("&Data"));
    addCommand(acquisition, CmdSignal, tr("Signal"));
    addCommand(acquisition, CmdFft, tr("FFT"));
    addCommand(acquisition, CmdRt60, tr("RT-60"));
    acquisition->addSeparator();
    addCommand(acquisition, CmdSignalFiltration, tr("Signal filtration..."));
    addCommand(acquisition, CmdMisc, tr("Misc..."));

    QMenu* operation = menuBar()->addMenu(tr("&Operation"));
    addCommand(operation, CmdStartStop, tr("Start/stop"));
    addCommand(operation, CmdReset, tr("Reset"));
    operation->addSeparator();
    addCommand(operation, CmdStartRecording, tr("Start recording..."));
    addCommand(operation, CmdStopRecording, tr("Stop recording"));
    addCommand(operation, CmdSetMarker, tr("Set marker"));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addCommand(help, CmdAbout, tr("&About K470..."));
    addCommand(help, CmdSelectLanguage, tr("Select language..."));

    // Tool-bar only commands.
    addCommand(nullptr, CmdCopyToClipboard, tr("Copy to clipboard"));
    addCommand(nullptr, CmdNotepad, tr("Notepad"));
    for (auto& [id, a] : actions_) a->setToolTip(toolTipFor(id));
}

QString MainDialog::toolTipFor(int id) const {
    switch (id) {
        case CmdOpen:
            return tr("Open file");
        case CmdCopyToClipboard:
            return tr("Copy to clipboard");
        case CmdNotepad:
            return tr("Notepad");
        case CmdSaveAsText:
            return tr("Save as text");
        case CmdSaveAsBinary:
            return tr("Save as binary");
        case CmdStartStop:
            return tr("Start/stop command");
        case CmdReset:
            return tr("Reset command");
        case CmdData:
            return tr("Data acquisition");
        case CmdSignal:
            return tr("Signal acquisition");
        case CmdFft:
            return tr("FFT");
        case CmdRt60:
            return tr("RT-60");
        case CtlProgress:
            return tr("Data accumulating progress");
        case CtlRecordUpDown:
            return tr("Previous / next record");
        case CtlRecordPosition:
            return tr("Record position");
        case CtlAverage:
            return tr("Average records");
        case CtlAverageFirst:
            return tr("First record to average");
        case CtlAverageLast:
            return tr("Last record to average");
        case CtlPlay:
            return tr("Play");
        case CtlPause:
            return tr("Pause");
        case CtlChannel:
            return tr("Channel");
        case CtlReplayRange:
            return tr("Replay range");
        case CmdSetMarker:
            return tr("Set marker");
        default:
            return action(id) ? action(id)->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."))
                              : QString();
    }
}

void MainDialog::buildToolBar() {
    toolBar_ = addToolBar(tr("Tool bar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    // Open, |, Copy, Notepad, |, Save as text, Save as binary, Start/stop, Reset, |, Data, Signal, FFT, |,
    // RT-60
    const int layout[] = {CmdOpen,
                          0,
                          CmdCopyToClipboard,
                          CmdNotepad,
                          0,
                          CmdSaveAsText,
                          CmdSaveAsBinary,
                          CmdStartStop,
                          CmdReset,
                          0,
                          CmdData,
                          CmdSignal,
                          CmdFft,
                          0,
                          CmdRt60};
    for (int id : layout) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = action(id);
        a->setIcon(ToolIcon(id));
        toolBar_->addAction(a);
    }
    auto* spacer = new QWidget(toolBar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spacer);
    status_ = new QLabel(toolBar_);
    status_->setObjectName(QStringLiteral("status"));
    status_->setMinimumWidth(160);
    status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status_->setContentsMargins(6, 0, 8, 0);
    toolBar_->addWidget(status_);
}

void MainDialog::buildControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(8, 6, 8, 8);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    column->addLayout(row);

    auto keep = [this](int id, QWidget* w) {
        controls_[id] = w;
        w->setObjectName(QStringLiteral("control%1").arg(id));
        w->setToolTip(toolTipFor(id));
        return w;
    };

    auto* startStop = new QPushButton(tr("Start/stop"), central);
    startStop->setCheckable(true);
    keep(CmdStartStop, startStop);
    connect(startStop, &QPushButton::clicked, this, [this] { Dispatch(CmdStartStop); });
    row->addWidget(startStop);

    auto* upDown = new QWidget(central);
    auto* upDownLayout = new QHBoxLayout(upDown);
    upDownLayout->setContentsMargins(0, 0, 0, 0);
    upDownLayout->setSpacing(0);
    for (auto arrow : {Qt::LeftArrow, Qt::RightArrow}) {
        auto* b = new QToolButton(upDown);
        b->setArrowType(arrow);
        b->setObjectName(arrow == Qt::LeftArrow ? QStringLiteral("previousRecord")
                                                : QStringLiteral("nextRecord"));
        upDownLayout->addWidget(b);
        const int step = arrow == Qt::LeftArrow ? -1 : 1;
        connect(b, &QToolButton::clicked, this, [this, step] {
            if (frame_.mode() == SourceMode::DataFile) goToRecord(frame_.currentRecord() + step);
            // A signal file: the spin control's positive step goes back, its negative step forward.
            if (frame_.mode() == SourceMode::SignalFile) replay_->StepRecord(-step);
        });
    }
    keep(CtlRecordUpDown, upDown);
    row->addWidget(upDown);
    auto* position = new QPushButton(QStringLiteral("0/0"), central);
    position->setFlat(true);
    keep(CtlRecordPosition, position);
    connect(position, &QPushButton::clicked, this, [this] { Dispatch(CtlRecordPosition); });
    row->addWidget(position);

    auto* first = new QLineEdit(central);
    auto* last = new QLineEdit(central);
    for (QLineEdit* e : {first, last}) {
        e->setMaximumWidth(64);
        e->setAlignment(Qt::AlignRight);
    }
    keep(CtlAverageFirst, first);
    keep(CtlAverageLast, last);
    auto* average = new QPushButton(tr("Average"), central);
    average->setCheckable(true);
    keep(CtlAverage, average);
    connect(average, &QPushButton::clicked, this, [this](bool on) { onAverage(on); });
    auto* interval = new QLabel(central);
    keep(CtlAverageText, interval);
    row->addWidget(first);
    row->addWidget(last);
    row->addWidget(average);
    row->addWidget(interval);

    auto* progress = new QProgressBar(central);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->setMaximumHeight(16);
    keep(CtlProgress, progress);
    row->addWidget(progress, 1);

    auto* play = new QPushButton(tr("Play"), central);
    keep(CtlPlay, play);
    connect(play, &QPushButton::clicked, this, [this] { Dispatch(CtlPlay); });
    auto* pause = new QPushButton(tr("Pause"), central);
    pause->setCheckable(true);
    keep(CtlPause, pause);
    connect(pause, &QPushButton::clicked, this, [this] { Dispatch(CtlPause); });
    auto* channel = new QComboBox(central);
    channel->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    keep(CtlChannel, channel);
    connect(channel, &QComboBox::activated, this, [this, channel](int index) {
        // The channel lists of a signal file carry the channel number of each entry.
        const QVariant number = channel->itemData(index);
        context_.channel = number.isValid() ? number.toInt() : std::max(index, 0);
        refreshPages();
    });
    auto* replayRange = new QPushButton(QStringLiteral("P"), central);
    replayRange->setMaximumWidth(32);
    keep(CtlReplayRange, replayRange);
    connect(replayRange, &QPushButton::clicked, this, [this] { Dispatch(CtlReplayRange); });
    auto* marker = new QPushButton(tr("Set marker"), central);
    keep(CmdSetMarker, marker);
    connect(marker, &QPushButton::clicked, this, [this] { Dispatch(CmdSetMarker); });
    for (QWidget* w :
         {static_cast<QWidget*>(play), static_cast<QWidget*>(pause), static_cast<QWidget*>(channel),
          static_cast<QWidget*>(replayRange), static_cast<QWidget*>(marker)})
        row->addWidget(w);

    tabs_ = new QTabWidget(central);
    tabs_->setObjectName(QStringLiteral("control%1").arg(CtlTabs));
    controls_[CtlTabs] = tabs_;
    // Only the page in front follows new values; a page brought to the front catches up.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (auto* p = qobject_cast<LevelPage*>(tabs_->currentWidget())) p->Refresh();
    });
    column->addWidget(tabs_, 1);
    setCentralWidget(central);
}

void MainDialog::restorePlacement() {
    const WindowGeometry current{x(), y(), width(), height()};
    const WindowGeometry g = PlaceMainWindow(frame_.settings().window, current);
    move(g.x, g.y);
    resize(g.width, g.height);
}

void MainDialog::refresh() {
    setWindowTitle(qs(frame_.title()));
    const CommandState& c = frame_.commands();
    for (auto& [id, a] : actions_) a->setEnabled(c.enabled(id));
    // Saving a record needs a page that shows it.
    if (tabs_->count() == 0) actions_[CmdSaveAsBinary]->setEnabled(false);
    const RecentFileList& recent = frame_.recentFiles();
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        QAction* a = actions_[CmdRecentFile1 + i];
        a->setText(qs(recent.MenuText(i)));
        // An item without a file would do nothing; it is shown greyed.
        if (!recent.FileForCommand(CmdRecentFile1 + i)) a->setEnabled(false);
    }

    const SourceMode mode = frame_.mode();
    const bool replay = mode == SourceMode::SignalFile;
    const bool instrument = mode == SourceMode::Instrument;
    const int count = frame_.recordCount();
    controls_[CmdStartStop]->setVisible(instrument);
    const bool channels =
        (mode == SourceMode::DataFile && frame_.record() && frame_.record()->dimensions.channels > 1) ||
        (replay && replay_->active());
    controls_[CtlChannel]->setVisible(instrument || channels);
    controls_[CmdSetMarker]->setVisible(c.allowed(CmdStopRecording) && instrument);
    const bool records = mode == SourceMode::DataFile && count > 1;
    for (int id : {CtlPlay, CtlPause, CtlReplayRange}) controls_[id]->setVisible(replay);
    controls_[CtlRecordUpDown]->setVisible(replay || records);
    controls_[CtlRecordPosition]->setVisible(replay || count > 1);
    // Moving between the records of a data file and averaging a range of them, or between the records of a
    // replayed signal file.
    const bool replaying = replay && replay_->active();
    for (int id : {CtlAverageFirst, CtlAverageLast, CtlAverage}) {
        controls_[id]->setEnabled(records);
        // Averaging belongs to record files; a signal file or the instrument gives its room to their
        // controls.
        controls_[id]->setVisible(mode == SourceMode::DataFile || mode == SourceMode::None);
    }
    for (int id : {CtlRecordPosition, CtlRecordUpDown}) controls_[id]->setEnabled(records || replaying);
    for (int id : {CtlPlay, CtlPause, CtlReplayRange}) controls_[id]->setEnabled(replaying);
    static_cast<QPushButton*>(controls_[CtlPause])->setChecked(replaying && replay_->controller().paused());
    auto* first = static_cast<QLineEdit*>(controls_[CtlAverageFirst]);
    auto* last = static_cast<QLineEdit*>(controls_[CtlAverageLast]);
    auto* interval = static_cast<QLabel*>(controls_[CtlAverageText]);
    auto* position = static_cast<QPushButton*>(controls_[CtlRecordPosition]);
    static_cast<QPushButton*>(controls_[CtlAverage])->setChecked(averaged_.has_value());
    if (mode == SourceMode::DataFile && count > 1) {
        position->setText(qs(PositionText(frame_.currentRecord(), count)));
        // The averaging range is preset when the file opens and then left as the user typed it.
        if (first->text().isEmpty()) first->setText(QStringLiteral("1"));
        if (last->text().isEmpty()) last->setText(QString::number(count));
        interval->setText(frame_.record() ? qs(IntervalText(frame_.record()->tail)) : QString());
    } else {
        first->clear();
        last->clear();
        interval->clear();
        if (replaying) position->setText(qs(replay_->controller().counterText()));
    }
    switch (mode) {
        case SourceMode::None:
            status_->setText(tr("No data source"));
            break;
        case SourceMode::DataFile:
            status_->setText(tr("Records: %1").arg(count));
            break;
        case SourceMode::SignalFile:
            // A damaged record or a failed read is said where the source is named.
            if (replaying && replay_->controller().problem())
                status_->setText(qs(replay_->controller().problem()->message));
            else
                status_->setText(tr("Signal file"));
            status_->setToolTip(status_->text());
            break;
        case SourceMode::Instrument:
            status_->setText(tr("Instrument"));
            break;
    }
}

void MainDialog::Dispatch(int id) {
    if (!frame_.commands().enabled(id)) return;
    switch (id) {
        case CmdOpen:
            onOpen();
            break;
        case CmdAbout:
            showAbout();
            break;
        case CmdSelectLanguage:
            onSelectLanguage();
            break;
        case CmdData:
        case CmdTeleParameters:
        case CmdReset:
        case CmdStartStop:
        case CmdStartRecording:
        case CmdStopRecording:
        case CmdSetMarker:
            acquisition_->Command(id);
            break;
        case CmdSaveAsText:
            onSaveAsText();
            break;
        case CmdSaveAsBinary:
            if (frame_.mode() == SourceMode::Instrument)
                acquisition_->Command(id);
            else
                onSaveAsBinary();
            break;
        case CmdTranslateBinToTxt:
            onTranslateBinToTxt();
            break;
        case CmdMergeToOneTxt:
            onMergeToOneTxt();
            break;
        case CmdTranslateSdtToWav:
        case CmdTranslateSdtToTxt:
            onTranslateSdt(id == CmdTranslateSdtToWav);
            break;
        case CmdCalcPercentiles:
            onCalcPercentiles();
            break;
        case CmdMakeReport:
            onMakeReport();
            break;
        case CmdCopyToClipboard:
            // Every page copies; the one in front is copied last, so its text is what the clipboard holds.
            for (LevelPage* p : pages_)
                if (p != tabs_->currentWidget()) p->CopyToClipboard();
            if (auto* p = qobject_cast<LevelPage*>(tabs_->currentWidget())) p->CopyToClipboard();
            break;
        case CtlRecordPosition:
            onRecordPosition();
            break;
        case CtlPlay:
            replay_->Play();
            break;
        case CtlPause:
            replay_->Pause();
            break;
        case CtlReplayRange:
            onReplayRange();
            break;
        case CmdMisc:
            onMisc();
            break;
        case CmdNotepad:
            onNotepad();
            break;
        case CmdSignalFiltration:
            onSignalFiltration();
            break;
        default:
            if (id >= CmdRecentFile1 && id <= CmdRecentFile4) {
                const auto result = frame_.OpenRecent(id, tabs_->count() > 0 ? tabs_->currentIndex() : -1);
                if (!result) return;
                afterSourceChange(bool(*result));
                if (!*result) showError(qs(result->error().message));
            }
            break;
    }
}

void MainDialog::onOpen() {
    const QString path = askOpenPath();
    if (path.isEmpty()) return;
    OpenPath(path);
}

void MainDialog::OpenPath(const QString& path) {
    Status s = frame_.Open(path.toStdString(), tabs_->count() > 0 ? tabs_->currentIndex() : -1);
    afterSourceChange(bool(s));
    if (!s) showError(qs(s.error().message));
}

const MeasurementRecord* MainDialog::shownRecord() const {
    if (frame_.mode() == SourceMode::Instrument) return liveRecord_ ? &*liveRecord_ : nullptr;
    return averaged_ ? &*averaged_ : frame_.record();
}

void MainDialog::afterSourceChange(bool opened) {
    // The previous source is closed (its tab index already stored); its pages go, a replay ends.
    destroyPages();
    replay_->Stop();
    averaged_.reset();
    static_cast<QLineEdit*>(controls_[CtlAverageFirst])->clear();
    static_cast<QLineEdit*>(controls_[CtlAverageLast])->clear();
    if (opened && frame_.mode() == SourceMode::DataFile) buildPages();
    if (opened && frame_.mode() == SourceMode::SignalFile) startReplay();
    refresh();
}

void MainDialog::startReplay() {
    if (Status s = replay_->Start(frame_.signalFile()->path()); !s) {
        // A signal file that cannot be replayed does not stay open as the source.
        frame_.CloseSource(-1);
        showError(qs(s.error().message));
        return;
    }
    addSignalPage(replay_->trace());
}

void MainDialog::addSignalPage(const views::SignalTrace& trace) {
    context_ = PageContext{};
    context_.type = frame_.deviceType();
    context_.store = &frame_.store();
    context_.notepad = &notepad_;
    if (replay_->active())
        fillSignalChannels();
    else  // the acquisition lists the instrument's channels and keeps the user's choice
        context_.channel = std::max(static_cast<QComboBox*>(controls_[CtlChannel])->currentIndex(), 0);
    auto* page = new SignalPage(context_, trace, frame_.signalState(), tabs_);
    pages_.push_back(page);
    tabs_->addTab(page, PageTabText(views::PageKind::Signal));
}

void MainDialog::fillSignalChannels() {
    if (!replay_->active()) return;
    auto* channel = static_cast<QComboBox*>(controls_[CtlChannel]);
    const int chosen = context_.channel;
    channel->clear();
    const uint16_t mask = replay_->controller().file()->header().channelMask;
    for (int k = 0; k < 3; ++k) {
        if (!(mask & (1u << k))) continue;
        const std::string& label = frame_.signalState().channels[static_cast<size_t>(k)].label;
        channel->addItem(label.empty()
                             ? qs(lexicon().text(Word::Channel)) + QLatin1Char(' ') + QString::number(k + 1)
                             : qs(label),
                         k);
    }
    // The channel shown stays when the file has it.
    const int at = channel->findData(chosen);
    channel->setCurrentIndex(std::max(at, 0));
    if (channel->count() > 0) context_.channel = channel->itemData(channel->currentIndex()).toInt();
}

void MainDialog::onReplayRange() {
    // The menu comes back after each choice until it is dismissed without one.
    for (;;) {
        const ReplayController& c = replay_->controller();
        const double rate = c.sampleRate();
        QMenu menu(this);
        QAction* start =
            menu.addAction(tr("Replay start: %1 sec").arg(qs(views::SecondsText(c.replayStart(), rate))));
        QAction* end =
            menu.addAction(tr("Replay end: %1 sec").arg(qs(views::SecondsText(c.replayEnd(), rate))));
        if (c.paused()) {
            menu.addSeparator();
            menu.addAction(
                    tr("Current replay position: %1 sec").arg(qs(views::SecondsText(c.position(), rate))))
                ->setEnabled(false);
        }
        QAction* chosen = runMenu(menu);
        if (chosen != start && chosen != end) return;
        const bool isStart = chosen == start;
        const std::vector<ReplayMark> marks = isStart ? c.startChoices() : c.endChoices();
        QStringList names;
        for (const ReplayMark& m : marks)
            names << (m.boundary ? (isStart ? tr("Record begin") : tr("Record end"))
                                 : QString::fromStdU16String(m.name));
        const auto i = askMarker(tr("Select marker"), names);
        if (!i || *i < 0 || *i >= static_cast<int>(marks.size())) continue;
        const uint32_t frame = marks[static_cast<size_t>(*i)].frame;
        if (isStart)
            replay_->SetReplayStart(frame);
        else
            replay_->SetReplayEnd(frame);
    }
}

void MainDialog::onInstrumentAnswered() {
    // The instrument replaces whatever the window showed; its pages read the values it sends.
    destroyPages();
    averaged_.reset();
    takeLiveRecord();
    if (frame_.deviceType() == kStreamDeviceType) {
        // The raw-signal instrument sends samples, not levels: its page shows the processed signal.
        acquisition_->trace().Reset(frame_.signalState().sampleRate);
        addSignalPage(acquisition_->trace());
    } else {
        buildPages();
    }
    refresh();
}

void MainDialog::takeLiveRecord() {
    liveRecord_ = acquisition_->controller().currentRecord();
    // The values are those of this moment: "Parameters" shows today's date and the time of the latest ones.
    const CalendarTime now = localTimeNow();
    liveRecord_->header.date = packDosDate(now);
    liveRecord_->header.time = packDosTime(now);
}

void MainDialog::onInstrumentData() {
    if (frame_.mode() != SourceMode::Instrument || pages_.empty()) return;
    takeLiveRecord();
    context_.record = &*liveRecord_;
    if (auto* p = qobject_cast<LevelPage*>(tabs_->currentWidget())) p->Refresh();
}

void MainDialog::buildPages() {
    context_ = PageContext{};
    context_.type = frame_.deviceType();
    context_.record = shownRecord();
    context_.file = frame_.binFile();
    context_.linear = frame_.settings().linear;
    context_.p0 = views::ZeroDbReference(context_.type);
    context_.store = &frame_.store();
    context_.notepad = &notepad_;
    auto* channel = static_cast<QComboBox*>(controls_[CtlChannel]);
    if (frame_.mode() == SourceMode::Instrument) {
        // The acquisition lists the instrument's three channels and keeps the user's choice.
        context_.channel = std::max(channel->currentIndex(), 0);
    } else {
        channel->clear();
        const int channels = frame_.record() ? frame_.record()->dimensions.channels : 1;
        for (int c = 1; c <= channels && channels > 1; ++c)
            channel->addItem(qs(lexicon().text(Word::Channel)) + QLatin1Char(' ') + QString::number(c));
    }
    for (views::PageKind kind : views::PagesFor(context_.type, frame_.recordCount())) {
        LevelPage* page = MakeLevelPage(context_, kind, tabs_);
        pages_.push_back(page);
        tabs_->addTab(page, PageTabText(kind));
    }
    tabs_->setCurrentIndex(frame_.InitialTab(tabs_->count()));
}

void MainDialog::destroyPages() {
    // The pages go with the source whose records they read, which may be gone already: none of them is
    // brought to the front (and refreshed) on the way out.
    const QSignalBlocker quiet(tabs_);
    while (tabs_->count() > 0) tabs_->removeTab(0);
    for (LevelPage* p : pages_) delete p;
    pages_.clear();
}

void MainDialog::refreshPages() {
    context_.record = shownRecord();
    for (LevelPage* p : pages_) p->Refresh();
}

void MainDialog::goToRecord(int k) {
    // A number outside the records changes nothing.
    if (k < 1 || k > frame_.recordCount()) return;
    if (Status s = frame_.GoToRecord(k); !s) {
        showError(qs(s.error().message));
        return;
    }
    // An average follows the current record's header, so it is taken again.
    if (averaged_) {
        auto r = views::AverageTypedRange(
            *frame_.binFile(), static_cast<QLineEdit*>(controls_[CtlAverageFirst])->text().toStdString(),
            static_cast<QLineEdit*>(controls_[CtlAverageLast])->text().toStdString(), k);
        if (r) averaged_ = std::move(*r);
    }
    refreshPages();
    refresh();
}

void MainDialog::onRecordPosition() {
    if (frame_.mode() == SourceMode::SignalFile && replay_->active()) {
        const auto n = askNumber(tr("Enter record position"), tr("Record position"),
                                 replay_->controller().currentRecord() + 1);
        if (n) replay_->SelectRecord(*n);
        return;
    }
    if (frame_.mode() != SourceMode::DataFile) return;
    const auto n = askNumber(tr("Enter record position"), tr("Record position"), frame_.currentRecord());
    if (n) goToRecord(*n);
}

void MainDialog::onAverage(bool on) {
    if (frame_.mode() != SourceMode::DataFile) return;
    if (!on) {
        averaged_.reset();
    } else {
        auto r = views::AverageTypedRange(
            *frame_.binFile(), static_cast<QLineEdit*>(controls_[CtlAverageFirst])->text().toStdString(),
            static_cast<QLineEdit*>(controls_[CtlAverageLast])->text().toStdString(), frame_.currentRecord());
        if (!r) {
            showError(qs(r.error().message));
            averaged_.reset();
            refresh();
            return;
        }
        averaged_ = std::move(*r);
    }
    refreshPages();
    refresh();
}

namespace {
QString textFilter() {
    return MainDialog::tr("Text files (*.txt)") + QStringLiteral(";;") + MainDialog::tr("All Files (*)");
}
QString binFilter() {
    return MainDialog::tr("Binary files (*.bin)") + QStringLiteral(";;") + MainDialog::tr("All Files (*)");
}
}  // namespace

void MainDialog::onSaveAsText() {
    const BinFile* file = frame_.binFile();
    if (!file) return;
    const QString out =
        askSavePath(tr("Save as text"), qs(views::ProposedTextName(file->path())), textFilter());
    if (out.isEmpty()) return;
    Status s = views::SaveShownRecordAsText(*file, frame_.currentRecord(), averaged_ ? &*averaged_ : nullptr,
                                            out.toStdString(), frame_.settings().linear,
                                            views::TemporaryRecordPath(), localTimeNow());
    if (!s) showError(qs(s.error().message));
}

void MainDialog::onSaveAsBinary() {
    const MeasurementRecord* record = shownRecord();
    if (pages_.empty() || !record) return;
    const QString out = askSavePath(tr("Save as binary"), QDir::currentPath(), binFilter());
    if (out.isEmpty()) return;
    if (Status s = WriteSingleRecordFile(out.toStdString(), *record, localTimeNow()); !s)
        showError(qs(s.error().message));
}

void MainDialog::onTranslateBinToTxt() {
    const QStringList files = askOpenPaths(tr("Translate .bin to .txt"), binFilter());
    if (files.isEmpty()) return;
    BatchProgress progress(tr("Translating..."), static_cast<int>(files.size()), this);
    for (int i = 0; i < files.size(); ++i) {
        const std::string bin = files[i].toStdString();
        // An input that cannot be opened ends the command before its output is asked for.
        if (auto f = BinFile::Open(bin); !f) {
            showError(qs(f.error().message));
            return;
        }
        const QString out = askSavePath(tr("Save as text"), qs(views::ProposedTextName(bin)), textFilter());
        if (out.isEmpty()) return;
        if (Status s = views::TranslateFileToText(bin, out.toStdString()); !s) {
            showError(qs(s.error().message));
            return;
        }
        if (!progress.Step(i + 1)) return;
    }
}

void MainDialog::onMergeToOneTxt() {
    const QStringList files = askOpenPaths(tr("Merge to one .txt"), binFilter());
    if (files.isEmpty()) return;
    const QString out = askSavePath(tr("Merge to one .txt"),
                                    qs(views::ProposedTextName(files.front().toStdString())), textFilter());
    if (out.isEmpty()) return;
    std::vector<std::string> inputs;
    for (const QString& f : files) inputs.push_back(f.toStdString());
    if (Status s = refuseOutputOverInput(out.toStdString(), inputs); !s) {
        showError(qs(s.error().message));
        return;
    }
    // Written beside the target and put in place when whole (an earlier file stays until then).
    auto output = OutputFile::Create(out.toStdString());
    if (!output) {
        showError(qs(output.error().message));
        return;
    }
    const TextExporter exporter;
    {
        TextWriter writer(output->file());
        BatchProgress progress(tr("Merging..."), static_cast<int>(files.size()), this);
        for (int i = 0; i < files.size(); ++i) {
            // One file at a time, so that a long batch shows its progress and can stop between files.
            if (Status s = MergeToText(std::span<const std::string>(&inputs[static_cast<size_t>(i)], 1),
                                       writer, exporter);
                !s) {
                showError(qs(s.error().message));
                return;
            }
            if (!progress.Step(i + 1)) break;
        }
        if (!writer.flush()) {
            showError(qs(lexicon().cantWriteFile(out.toStdString())));
            return;
        }
    }
    if (Status s = output->Commit(); !s) showError(qs(s.error().message));
}

void MainDialog::onTranslateSdt(bool wav) {
    const QString title = wav ? tr("Translate .sdt to .wav") : tr("Translate .sdt to .txt");
    const QString path =
        askOpenFile(title, tr("Data files (*.sdt)") + QStringLiteral(";;") + tr("All Files (*)"));
    if (path.isEmpty()) return;
    // The views of the open source close before the signal file is read.
    if (frame_.mode() != SourceMode::None) {
        frame_.CloseSource(tabs_->count() > 0 ? tabs_->currentIndex() : -1);
        afterSourceChange(false);
    }
    const std::string source = path.toStdString();
    std::vector<views::SignalRecordRow> rows;
    {
        auto file = SdtContainer::Open(source);
        if (!file) {
            showError(qs(file.error().message));
            return;
        }
        views::SignalRecordRows listed = views::ListSignalRecords(*file);
        if (listed.rows.empty()) {
            showError(qs(listed.problem ? listed.problem->message : lexicon().text(Word::NoSourceData)));
            return;
        }
        rows = std::move(listed.rows);
    }
    RecordSelectionDialog selection(rows, this);
    if (runDialog(selection) != QDialog::Accepted) return;
    if (wav) {
        TranslationParametersDialog parameters(translation_, this);
        if (runDialog(parameters) != QDialog::Accepted) return;
        translation_ = parameters.parameters();
    }
    status_->setText(wav ? tr("Translate file to .wav") : tr("Translate file to .txt"));
    BatchProgress progress(title, 100, this, qobject_cast<QProgressBar*>(controls_[CtlProgress]));
    const auto onProgress = [&progress](const ConversionProgress& p) {
        return progress.Step(BatchPercent(p.record, p.records, p.percent));
    };
    const RecordSelection chosen = views::SelectionOfRows(selection.checked());
    auto report = wav ? ConvertSdtToWav(source, chosen, translation_, onProgress)
                      : ConvertSdtToText(source, chosen, onProgress);
    progress.Finish();
    refresh();
    if (!report)
        showError(qs(report.error().message));
    else if (const std::string problems = views::ConversionProblemText(*report); !problems.empty())
        showError(qs(problems));
}

void MainDialog::onMisc() {
    if (pages_.empty()) return;
    ParametersDialog dialog([this] { return shownRecord(); }, context_, this);
    if (frame_.mode() == SourceMode::Instrument)
        dialog.AttachInstrument([this](int range) { acquisition_->controller().SelectRange(range); },
                                [this](int channel) { onCalibrationOffset(channel); });
    runDialog(dialog);
    // "Linear" is a setting kept for the next start; the pages show the levels again in any case.
    frame_.settings().linear = context_.linear;
    refreshPages();
}

void MainDialog::onCalibrationOffset(int channel) {
    AcquisitionController& c = acquisition_->controller();
    // Without an open link there is no instrument to tell.
    if (!c.commands().AnyLinkOpen()) return;
    const auto text = askText(tr("Enter calibration offset"), tr("dB"), QStringLiteral("0"));
    if (!text) return;
    c.SetCalibrationOffset(channel, parseCalibrationText(text->toStdString()));
}

void MainDialog::onNotepad() {
    NotepadDialog dialog(notepad_, this);
    runDialog(dialog);
}

std::optional<FileSet> MainDialog::askFileSetOfOneType(const QString& title,
                                                       std::vector<std::string>& paths) {
    const QStringList files = askOpenPaths(title, binFilter());
    if (files.isEmpty()) return std::nullopt;
    paths.clear();
    for (const QString& f : files) paths.push_back(f.toStdString());
    auto set = ScanFileSet(paths);
    if (!set) {
        showError(qs(set.error().message));
        return std::nullopt;
    }
    return std::move(*set);
}

void MainDialog::onCalcPercentiles() {
    std::vector<std::string> paths;
    const auto set = askFileSetOfOneType(tr("Calc percentiles"), paths);
    if (!set) return;
    PercentilesDialog dialog(frame_.store(), std::move(paths), set->type, this);
    dialog.showError = showError;
    runDialog(dialog);
}

void MainDialog::onMakeReport() {
    std::vector<std::string> paths;
    const auto set = askFileSetOfOneType(tr("Make report"), paths);
    if (!set) return;
    ReportDialog dialog(ReportConfigPath(), set->type, this);
    if (runDialog(dialog) != QDialog::Accepted) return;
    const QString out = askSavePath(tr("Make report"), QString(), textFilter());
    if (out.isEmpty()) return;
    std::vector<std::string> inputs;
    for (const FileSetEntry& f : set->files) inputs.push_back(f.path);
    inputs.push_back(ReportConfigPath().toStdString());
    if (Status s = refuseOutputOverInput(out.toStdString(), inputs); !s) {
        showError(qs(s.error().message));
        return;
    }
    auto output = OutputFile::Create(out.toStdString());
    if (!output) {
        showError(qs(output.error().message));
        return;
    }
    BatchProgress progress(tr("Making report..."), 100, this);
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
    if (!s && !progress.cancelled()) showError(qs(s.error().message));
}

void MainDialog::onSelectLanguage() {
    if (!askYesNo(tr("Select new language"),
                  tr("After selecting new language program will be closed.\nContinue?")))
        return;
    if (runLanguageDialog()) close();
}

void MainDialog::closeEvent(QCloseEvent* event) {
    if (!shutDown_ && !acquisition_->MayClose()) {
        event->ignore();
        return;
    }
    if (!shutDown_) {
        shutDown_ = true;
        const int tab = tabs_->count() > 0 ? tabs_->currentIndex() : -1;
        destroyPages();
        frame_.Shutdown(StoredRect({x(), y(), width(), height()}), tab);
    }
    event->accept();
}

}  // namespace k470::app
