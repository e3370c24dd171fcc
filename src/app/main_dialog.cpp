#include "app/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/acquisition_window.h"
#include "app/command_ids.h"
#include "app/tool_icons.h"

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

MainDialog::MainDialog(FrameController& frame, QWidget* parent) : QMainWindow(parent), frame_(frame) {
    setWindowIcon(ApplicationIcon());
    // The handlers built so far; every other command stays disabled until its feature is built.
    frame_.commands().setHandled({CmdOpen, CmdRecentFile1, CmdRecentFile1 + 1, CmdRecentFile1 + 2,
                                  CmdRecentFile4, CmdAbout, CmdSelectLanguage});
    frame_.commands().setHandled({CmdData, CmdTeleParameters, CmdReset, CmdStartStop, CmdSaveAsBinary,
                                  CmdStartRecording, CmdStopRecording, CmdSetMarker});
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
    showError = [this](const QString& message) {
        QMessageBox::warning(this, QStringLiteral("K470"), message);
    };
    askYesNo = [this](const QString& title, const QString& question) {
        return QMessageBox::question(this, title, question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    runLanguageDialog = [] { return false; };
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

    acquisition_ = std::make_unique<AcquisitionWindow>(*this);
    connect(acquisition_.get(), &AcquisitionWindow::stateChanged, this, [this] { refresh(); });

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
        upDownLayout->addWidget(b);
    }
    keep(CtlRecordUpDown, upDown);
    row->addWidget(upDown);
    auto* position = new QPushButton(QStringLiteral("0/0"), central);
    position->setFlat(true);
    keep(CtlRecordPosition, position);
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
    auto* pause = new QPushButton(tr("Pause"), central);
    pause->setCheckable(true);
    keep(CtlPause, pause);
    auto* channel = new QComboBox(central);
    keep(CtlChannel, channel);
    auto* replayRange = new QPushButton(QStringLiteral("P"), central);
    replayRange->setMaximumWidth(32);
    keep(CtlReplayRange, replayRange);
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
    controls_[CtlChannel]->setVisible(instrument);
    controls_[CmdSetMarker]->setVisible(c.allowed(CmdStopRecording) && instrument);
    for (int id : {CtlRecordUpDown, CtlPlay, CtlPause, CtlReplayRange}) controls_[id]->setVisible(replay);
    controls_[CtlRecordPosition]->setVisible(replay || count > 1);
    // Record averaging and moving between records work on the pages, which come with the level views.
    for (int id : {CtlAverageFirst, CtlAverageLast, CtlAverage, CtlRecordPosition, CtlRecordUpDown, CtlPlay,
                   CtlPause, CtlReplayRange})
        controls_[id]->setEnabled(false);
    auto* first = static_cast<QLineEdit*>(controls_[CtlAverageFirst]);
    auto* last = static_cast<QLineEdit*>(controls_[CtlAverageLast]);
    auto* interval = static_cast<QLabel*>(controls_[CtlAverageText]);
    auto* position = static_cast<QPushButton*>(controls_[CtlRecordPosition]);
    if (mode == SourceMode::DataFile && count > 1) {
        position->setText(qs(PositionText(frame_.currentRecord(), count)));
        first->setText(QStringLiteral("1"));
        last->setText(QString::number(count));
        interval->setText(frame_.record() ? qs(IntervalText(frame_.record()->tail)) : QString());
    } else {
        first->clear();
        last->clear();
        interval->clear();
    }
    switch (mode) {
        case SourceMode::None:
            status_->setText(tr("No data source"));
            break;
        case SourceMode::DataFile:
            status_->setText(tr("Records: %1").arg(count));
            break;
        case SourceMode::SignalFile:
            status_->setText(tr("Signal file"));
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
        case CmdSaveAsBinary:
            if (frame_.mode() == SourceMode::Instrument) acquisition_->Command(id);
            break;
        default:
            if (id >= CmdRecentFile1 && id <= CmdRecentFile4) {
                if (auto result = frame_.OpenRecent(id, tabs_->count() > 0 ? tabs_->currentIndex() : -1);
                    result && !*result)
                    showError(qs(result->error().message));
                refresh();
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
    if (!s) showError(qs(s.error().message));
    refresh();
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
        frame_.Shutdown(StoredRect({x(), y(), width(), height()}),
                        tabs_->count() > 0 ? tabs_->currentIndex() : -1);
    }
    event->accept();
}

}  // namespace k470::app
