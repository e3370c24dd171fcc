// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/dialogs/real_dialogs.h"
#include "app/pages/signal/analysis_pages.h"
#include "app/pages/source_page.h"
#include "app/qt_text.h"
#include "app/window/screen_placement.h"
#include "app/window/tool_icons.h"
#include "data/file_kind.h"

namespace k470::app {

namespace {

// A local file that "Open" would take: a record, signal or sound file by its extension.
bool isDeviceFile(const QUrl& url) {
    return url.isLocalFile() && fileKindOfPath(url.toLocalFile().toStdString()).has_value();
}

QString firstDeviceFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (isDeviceFile(url)) return url.toLocalFile();
    return {};
}

}  // namespace

MainWindow::MainWindow(ApplicationState& frame, QWidget* parent) : QMainWindow(parent), frame_(frame) {
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    frame_.Initialise();
    SessionHost& host = *this;
    globals_ = std::make_unique<GlobalCommands>(frame_, *this, this, host);
    buildMenus();
    buildToolBar();
    buildControls();
    restorePlacement();
    useRealDialogs();
    // Escape closes the window as the close box and File -> Quit do: through close(), which asks before
    // ending an autorecording and writes the settings.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    refresh();
}

MainWindow::~MainWindow() {
    releasePages();
    session_.reset();
}

void MainWindow::useRealDialogs() {
    UseRealDialogs(*this, *this, static_cast<QProgressBar&>(*controls_[Control::Progress]),
                   *controls_[Control::ReplayRange]);
}

QAction* MainWindow::addCommand(QMenu* menu, Command command, const QString& text) {
    auto* a = new QAction(text, this);
    connect(a, &QAction::triggered, this, [this, command] { Dispatch(command); });
    actions_[command] = a;
    if (menu) menu->addAction(a);
    return a;
}

QAction* MainWindow::action(Command command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::control(Control id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    addCommand(fileMenu_, Command::Open, tr("&Open..."))->setShortcut(QKeySequence::Open);
    addCommand(fileMenu_, Command::SaveAsBinary, tr("Save as &binary..."));
    addCommand(fileMenu_, Command::SaveAsText, tr("Save as &text..."));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, Command::PrintReport, tr("&Print report..."))->setShortcut(QKeySequence::Print);
    addCommand(fileMenu_, Command::ExportReportPdf, tr("Export report as P&DF..."));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, Command::TranslateBinToTxt, tr("Translate .bin to .txt..."));
    addCommand(fileMenu_, Command::MergeToOneTxt, tr("Merge to one .txt..."));
    addCommand(fileMenu_, Command::MakeReport, tr("Make report..."));
    addCommand(fileMenu_, Command::CalcPercentiles, tr("Calc percentiles..."));
    addCommand(fileMenu_, Command::TranslateSdtToTxt, tr("Translate .sdt to .txt..."));
    addCommand(fileMenu_, Command::TranslateSdtToWav, tr("Translate .sdt to .wav..."));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, Command::TeleParameters, tr("Tele parameters..."));
    fileMenu_->addSeparator();
    for (int i = 0; i < RecentFileList::kSize; ++i)
        addCommand(fileMenu_, RecentFileCommand(i), QStringLiteral("-"));
    fileMenu_->addSeparator();
    addCommand(fileMenu_, Command::Quit, tr("&Quit"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* acquisition = menuBar()->addMenu(tr("&Acquisition"));
    addCommand(acquisition, Command::Data, tr("&Data"));
    for (const AnalysisPageEntry& page : AnalysisPageTable())
        addCommand(acquisition, page.command, AnalysisMenuText(page));
    acquisition->addSeparator();
    addCommand(acquisition, Command::SignalFiltration, tr("Signal filtration..."));
    addCommand(acquisition, Command::Misc, tr("Misc..."));

    QMenu* operation = menuBar()->addMenu(tr("&Operation"));
    addCommand(operation, Command::StartStop, tr("Start/stop"));
    addCommand(operation, Command::Reset, tr("Reset"));
    operation->addSeparator();
    addCommand(operation, Command::StartRecording, tr("Start recording..."));
    addCommand(operation, Command::StopRecording, tr("Stop recording"));
    addCommand(operation, Command::SetMarker, tr("Set marker"));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addCommand(help, Command::About, tr("&About K470..."));
    addCommand(help, Command::SelectLanguage, tr("Select language..."));

    // Tool-bar and control-row commands.
    // Ctrl+C copies the page in front (an analysis page: the CSV of its command).
    addCommand(nullptr, Command::CopyToClipboard, tr("Copy to clipboard"))->setShortcut(QKeySequence::Copy);
    addCommand(nullptr, Command::Notepad, tr("Notepad"));
    for (auto& [command, a] : actions_) a->setToolTip(toolTipFor(command));
}

QString MainWindow::toolTipFor(Command command) const {
    switch (command) {
        case Command::Open:
            return tr("Open file");
        case Command::StartStop:
            return tr("Start/stop command");
        case Command::Reset:
            return tr("Reset command");
        case Command::Data:
            return tr("Data acquisition");
        case Command::Signal:
            return tr("Signal acquisition");
        case Command::SaveAsText:
            return tr("Save as text");
        case Command::SaveAsBinary:
            return tr("Save as binary");
        default:
            return action(command)
                       ? action(command)->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."))
                       : QString();
    }
}

void MainWindow::buildToolBar() {
    toolBar_ = addToolBar(tr("Tool bar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    const std::vector<std::vector<Command>> groups = {
        {Command::Open},
        {Command::CopyToClipboard, Command::Notepad},
        {Command::SaveAsText, Command::SaveAsBinary, Command::StartStop, Command::Reset},
        {Command::Data, Command::Signal, Command::Fft},
        {Command::Rt60}};
    for (const auto& group : groups) {
        if (&group != &groups.front()) toolBar_->addSeparator();
        for (Command c : group) {
            QAction* a = action(c);
            a->setIcon(ToolIcon(c));
            toolBar_->addAction(a);
        }
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

QWidget* MainWindow::keep(Control id, QWidget* w) {
    controls_[id] = w;
    w->setObjectName(QStringLiteral("control%1").arg(static_cast<int>(id)));
    static const std::map<Control, const char*> tips = {
        {Control::StartStop, QT_TR_NOOP("Start/stop command")},
        {Control::Progress, QT_TR_NOOP("Data accumulating progress")},
        {Control::RecordStep, QT_TR_NOOP("Previous / next record")},
        {Control::RecordPosition, QT_TR_NOOP("Record position")},
        {Control::Average, QT_TR_NOOP("Average records")},
        {Control::AverageFirst, QT_TR_NOOP("First record to average")},
        {Control::AverageLast, QT_TR_NOOP("Last record to average")},
        {Control::Play, QT_TR_NOOP("Play")},
        {Control::Pause, QT_TR_NOOP("Pause")},
        {Control::Channel, QT_TR_NOOP("Channel")},
        {Control::Preset, QT_TR_NOOP("Active processing preset")},
        {Control::ReplayRange, QT_TR_NOOP("Replay range")},
        {Control::SetMarker, QT_TR_NOOP("Set marker")},
        {Control::Armed, QT_TR_NOOP("The recording waits for its external trigger")}};
    if (auto it = tips.find(id); it != tips.end()) w->setToolTip(tr(it->second));
    return w;
}

void MainWindow::buildRecordControls(QWidget* central, QHBoxLayout* row) {
    auto* startStop = new QPushButton(tr("Start/stop"), central);
    startStop->setCheckable(true);
    connect(startStop, &QPushButton::clicked, this, [this] { Dispatch(Command::StartStop); });
    row->addWidget(keep(Control::StartStop, startStop));

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
            if (session_) session_->stepRecord(step);
            closeEndedSession();
        });
    }
    row->addWidget(keep(Control::RecordStep, upDown));
    auto* position = new QPushButton(QStringLiteral("0/0"), central);
    position->setFlat(true);
    connect(position, &QPushButton::clicked, this, [this] { Dispatch(Command::RecordPosition); });
    row->addWidget(keep(Control::RecordPosition, position));

    auto* first = new QLineEdit(central);
    auto* last = new QLineEdit(central);
    for (QLineEdit* e : {first, last}) {
        e->setMaximumWidth(64);
        e->setAlignment(Qt::AlignRight);
        connect(e, &QLineEdit::textChanged, this, [this, first, last] {
            if (session_) session_->setAverageRange(first->text(), last->text());
        });
    }
    row->addWidget(keep(Control::AverageFirst, first));
    row->addWidget(keep(Control::AverageLast, last));
    auto* average = new QPushButton(tr("Average"), central);
    average->setCheckable(true);
    connect(average, &QPushButton::clicked, this, [this](bool on) {
        if (session_) session_->setAveraging(on);
        refresh();
    });
    row->addWidget(keep(Control::Average, average));
    row->addWidget(keep(Control::AverageText, new QLabel(central)));
}

void MainWindow::buildReplayControls(QWidget* central, QHBoxLayout* row) {
    auto* progress = new QProgressBar(central);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->setMaximumHeight(16);
    row->addWidget(keep(Control::Progress, progress), 1);

    auto* armed = new QLabel(tr("armed"), central);
    armed->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    row->addWidget(keep(Control::Armed, armed));
    auto* play = new QPushButton(tr("Play"), central);
    connect(play, &QPushButton::clicked, this, [this] { Dispatch(Command::Play); });
    row->addWidget(keep(Control::Play, play));
    auto* pause = new QPushButton(tr("Pause"), central);
    pause->setCheckable(true);
    connect(pause, &QPushButton::clicked, this, [this] { Dispatch(Command::Pause); });
    row->addWidget(keep(Control::Pause, pause));
    auto* channel = new QComboBox(central);
    channel->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(channel, &QComboBox::activated, this, [this](int index) {
        if (session_) session_->selectChannel(index);
    });
    row->addWidget(keep(Control::Channel, channel));
    row->addWidget(keep(Control::Preset, new QLabel(central)));
    auto* replayRange = new QPushButton(QStringLiteral("P"), central);
    replayRange->setMaximumWidth(32);
    connect(replayRange, &QPushButton::clicked, this, [this] { Dispatch(Command::ReplayRange); });
    row->addWidget(keep(Control::ReplayRange, replayRange));
    auto* marker = new QPushButton(tr("Set marker"), central);
    connect(marker, &QPushButton::clicked, this, [this] { Dispatch(Command::SetMarker); });
    row->addWidget(keep(Control::SetMarker, marker));
}

void MainWindow::buildControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(8, 6, 8, 8);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    column->addLayout(row);
    buildRecordControls(central, row);
    buildReplayControls(central, row);

    tabs_ = new QTabWidget(central);
    tabs_->setObjectName(QStringLiteral("tabs"));
    // Only the page in front follows new values; a page brought to the front catches up.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (auto* p = qobject_cast<SourcePage*>(tabs_->currentWidget())) p->Refresh();
    });
    column->addWidget(tabs_, 1);
    setCentralWidget(central);
}

void MainWindow::restorePlacement() {
    RestorePlacement(*this, frame_.settings().window);
}

bool MainWindow::enabled(Command command) const {
    const bool allowed = session_ ? session_->allowed(command) : IsGlobalCommand(command);
    // A recent-file item without a file would do nothing.
    if (const int i = RecentFileIndex(command); i >= 0)
        return allowed && globals_->recentFiles().FileAt(i).has_value();
    return allowed;
}

void MainWindow::refresh() {
    const std::string title = session_ ? session_->title() : std::string();
    setWindowTitle(qs(title.empty() ? globals_->idleTitle() : title));
    for (auto& [command, a] : actions_) a->setEnabled(enabled(command));
    const RecentFileList& recent = globals_->recentFiles();
    for (int i = 0; i < RecentFileList::kSize; ++i)
        actions_[RecentFileCommand(i)]->setText(qs(recent.MenuText(i)));
    status_->setText(session_ ? session_->status() : tr("No data source"));
    status_->setToolTip(status_->text());
    applyRow(session_ ? session_->controlRow() : views::NoSourceRow());
}

void MainWindow::applyRow(const views::ControlRow& row) {
    const std::pair<Control, const views::RowItem*> items[] = {{Control::StartStop, &row.startStop},
                                                               {Control::RecordStep, &row.recordStep},
                                                               {Control::RecordPosition, &row.recordPosition},
                                                               {Control::AverageFirst, &row.averageFirst},
                                                               {Control::AverageLast, &row.averageLast},
                                                               {Control::Average, &row.average},
                                                               {Control::AverageText, &row.averageText},
                                                               {Control::Progress, &row.progress},
                                                               {Control::Play, &row.play},
                                                               {Control::Pause, &row.pause},
                                                               {Control::ReplayRange, &row.replayRange},
                                                               {Control::Channel, &row.channel},
                                                               {Control::Preset, &row.preset},
                                                               {Control::SetMarker, &row.marker},
                                                               {Control::Armed, &row.armed}};
    for (auto [id, item] : items) {
        QWidget* w = controls_[id];
        w->setVisible(item->visible);
        w->setEnabled(item->enabled);
        if (auto* button = qobject_cast<QPushButton*>(w); button && button->isCheckable())
            button->setChecked(item->checked);
    }
    static_cast<QPushButton*>(controls_[Control::RecordPosition])->setText(qs(row.recordPosition.text));
    // Typed text stays as typed: only a different value replaces it.
    for (auto [id, item] : {std::pair{Control::AverageFirst, &row.averageFirst},
                            std::pair{Control::AverageLast, &row.averageLast}}) {
        auto* edit = static_cast<QLineEdit*>(controls_[id]);
        if (edit->text() != qs(item->text)) edit->setText(qs(item->text));
    }
    static_cast<QLabel*>(controls_[Control::AverageText])->setText(qs(row.averageText.text));
    static_cast<QLabel*>(controls_[Control::Preset])->setText(tr("Preset: %1").arg(qs(row.preset.text)));
    auto* bar = static_cast<QProgressBar*>(controls_[Control::Progress]);
    if (bar->value() != row.progressValue) {
        bar->setValue(row.progressValue);
        if (bar->isVisible()) bar->repaint();  // the connect sequence holds the event loop
    }
    auto* channel = static_cast<QComboBox*>(controls_[Control::Channel]);
    QStringList names;
    for (const std::string& n : row.channels) names << qs(n);
    QStringList shown;
    for (int i = 0; i < channel->count(); ++i) shown << channel->itemText(i);
    if (names != shown) {
        channel->clear();
        channel->addItems(names);
    }
    channel->setCurrentIndex(names.isEmpty() ? -1 : row.channelIndex);
}

std::vector<SourcePage*> MainWindow::pages() const {
    std::vector<SourcePage*> all;
    if (session_)
        for (const Session::Page& p : session_->pages()) all.push_back(p.widget);
    return all;
}

void MainWindow::releasePages() {
    // The pages belong to the session: the tabs only let go of them. None of them is brought to the front
    // (and refreshed) on the way out.
    const QSignalBlocker quiet(tabs_);
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        page->hide();
        page->setParent(nullptr);
    }
}

void MainWindow::hostPages() {
    releasePages();
    if (!session_) return;
    const std::vector<Session::Page> all = session_->pages();
    {
        const QSignalBlocker quiet(tabs_);
        for (const Session::Page& p : all) tabs_->addTab(p.widget, p.tabText);
    }
    if (!all.empty()) {
        tabs_->setCurrentIndex(session_->initialTab());
        if (auto* p = qobject_cast<SourcePage*>(tabs_->currentWidget())) p->Refresh();
        fitPages();
    }
}

void MainWindow::fitPages() {
    // What the tables of each page need to show all their cells, and room for the rest of the page.
    QSize need;
    for (int i = 0; i < tabs_->count(); ++i) {
        QWidget* page = tabs_->widget(i);
        int width = page->sizeHint().width(), height = 0;
        for (QTableWidget* t : page->findChildren<QTableWidget*>()) {
            width = std::max(width, t->verticalHeader()->sizeHint().width() +
                                        t->horizontalHeader()->length() + 2 * t->frameWidth() + 40);
            height += t->horizontalHeader()->sizeHint().height() + t->verticalHeader()->length() +
                      2 * t->frameWidth() + 48;
        }
        need = need.expandedTo(QSize(width, std::max(height, page->sizeHint().height())));
    }
    // The menus, the tool bar, the control row and the tab bar above the pages.
    const int chrome = menuBar()->sizeHint().height() + toolBar_->sizeHint().height() +
                       controls_[Control::Average]->sizeHint().height() +
                       tabs_->tabBar()->sizeHint().height() + 40;
    QSize wanted = size().expandedTo(QSize(need.width() + 32, need.height() + chrome));
    if (const QScreen* screen = this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    if (wanted != size()) resize(wanted.expandedTo(size()));
}

int MainWindow::shownTab() const {
    return tabs_->count() > 0 ? tabs_->currentIndex() : -1;
}

SessionEnv MainWindow::sessionEnv() {
    SessionObserver& observer = *this;
    return SessionEnv{frame_, *this, this, observer, globals_->notepad(), globals_->time()};
}

bool MainWindow::closeSession() {
    if (!session_) return true;
    if (!session_->close(shownTab())) return false;
    releasePages();
    std::unique_ptr<Session> closing = std::move(session_);
    closing.reset();
    refresh();
    return true;
}

void MainWindow::openSession(std::unique_ptr<Session> session) {
    session_ = std::move(session);
    hostPages();
    refresh();
}

void MainWindow::closeEndedSession() {
    if (!session_ || !session_->ended()) return;
    (void)session_->close(shownTab());
    releasePages();
    std::unique_ptr<Session> closing = std::move(session_);
    closing.reset();
    refresh();
}

void MainWindow::SessionChanged(Change change) {
    switch (change) {
        case Change::Pages:
            hostPages();
            refresh();
            break;
        case Change::Values: {
            if (auto* p = qobject_cast<SourcePage*>(tabs_->currentWidget())) p->Refresh();
            auto* bar = static_cast<QProgressBar*>(controls_[Control::Progress]);
            if (session_) bar->setValue(session_->controlRow().progressValue);
            break;
        }
        case Change::State:
            refresh();
            break;
    }
}

void MainWindow::SessionEnded() {
    // Closed once the command or tick that saw the end is over.
    QMetaObject::invokeMethod(this, &MainWindow::closeEndedSession, Qt::QueuedConnection);
}

void MainWindow::ShowPage(QWidget* page) {
    if (tabs_->indexOf(page) >= 0) tabs_->setCurrentWidget(page);
}

void MainWindow::OpenPathLater(const std::string& path) {
    const QString file = qs(path);
    QMetaObject::invokeMethod(
        this, [this, file] { OpenPath(file); }, Qt::QueuedConnection);
}

void MainWindow::Dispatch(Command command) {
    if (!enabled(command)) return;
    if (command == Command::CopyToClipboard)
        copyPages();
    else if (!session_ || !session_->run(command))
        globals_->run(command);
    closeEndedSession();
    refresh();
}

void MainWindow::copyPages() {
    // Every page copies; the one in front is copied last, so its text is what the clipboard holds.
    for (SourcePage* p : pages())
        if (p != tabs_->currentWidget()) p->CopyToClipboard();
    if (auto* p = qobject_cast<SourcePage*>(tabs_->currentWidget())) p->CopyToClipboard();
}

void MainWindow::OpenPath(const QString& path) {
    globals_->OpenPath(path.toStdString());
    refresh();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstDeviceFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = firstDeviceFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over, as "Open" would, so that the dragging program is not held meanwhile.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QMetaObject::invokeMethod(
        this, [this, absolute] { OpenPath(absolute); }, Qt::QueuedConnection);
}

void MainWindow::Terminate() {
    terminating_ = true;
    // Open dialogs and message boxes are cancelled, so that their own event loops end.
    for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i)
        QApplication::activeModalWidget()->close();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDown_) {
        event->accept();
        return;
    }
    // An active autorecording is stopped only when the user agrees (a termination signal does not ask).
    if (!terminating_ && session_ && !session_->close(shownTab())) {
        event->ignore();
        return;
    }
    shutDown_ = true;
    frame_.Shutdown(StoredRect({x(), y(), width(), height()}));
    releasePages();
    session_.reset();
    globals_->recentFiles().Save(frame_.store());
    event->accept();
}

}  // namespace k470::app
