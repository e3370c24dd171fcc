// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/utility_app.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/commands/report_commands.h"
#include "app/dialogs/language_dialog.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "frame/application_state.h"
#include "link/live_stream_handler.h"
#include "link/serial_port.h"
#include "link/tele_link.h"
#include "signal/processor_preset.h"
#include "sim/simulator.h"

namespace k470::app {

namespace {

// SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in the shell) end the program the normal way: a
// dialog open at start-up is cancelled, and the main window cancels its open dialogs and message boxes and
// closes, so that the settings and the recent files are written as on any other exit. The handler only
// writes a byte into a pipe; the event loop (also the loop of a message box) does the rest.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

class TerminationWatch {
  public:
    // Installed first thing, so that a signal arriving during start-up is not lost.
    TerminationWatch() {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buffer[16];
            while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
            }
            requested_ = true;
            if (window_)
                window_->Terminate();
            else if (target_)
                target_->close();
        });
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    }
    // The window (dialog or main window) that a signal closes from now on.
    void watch(QWidget* target) {
        target_ = target;
        // Closed once the event loop runs, when the window is up.
        if (requested_ && target_) QMetaObject::invokeMethod(target_, &QWidget::close, Qt::QueuedConnection);
    }
    // The main window, which a signal ends from now on.
    void watchWindow(MainWindow* window) {
        window_ = window;
        if (requested_ && window_) window_->Terminate();
    }
    bool requested() const { return requested_; }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
    QPointer<QWidget> target_;
    QPointer<MainWindow> window_;
    bool requested_ = false;
};

}  // namespace

namespace {

// The program's names, and its command line as --help describes it.
struct CommandLine {
    QCommandLineParser parser;
    const QCommandLineOption exitWhenShown{
        QStringLiteral("exit-when-shown"),
        QStringLiteral("quit as soon as the main window is drawn (start-up timing)")};
    const QCommandLineOption simulator{
        QStringLiteral("simulator"),
        QStringLiteral("use the built-in instrument simulator as the USB instrument (device type T)"),
        QStringLiteral("T"), QStringLiteral("3")};
    const QCommandLineOption simulatorSignal{
        QStringLiteral("simulator-signal"),
        QStringLiteral("with --simulator 26: the signal the raw-signal instrument plays, as k470-sim "
                       "--signal takes it (e.g. calibrator, tone:1000:94, pink:60, decay:1.2)"),
        QStringLiteral("LIST")};
    const QCommandLineOption reportPdf{
        QStringLiteral("report-pdf"),
        QStringLiteral("write the measurement report of the .bin files as a PDF file OUT and quit, "
                       "without a window"),
        QStringLiteral("OUT")};
    const QCommandLineOption level{
        QStringLiteral("level"),
        QStringLiteral("with --report-pdf: the level to plot as table, parameter, band and channel "
                       "(default: the A-weighted fast level, or the type's first level)"),
        QStringLiteral("T,P,B[,C]")};
    const QCommandLineOption operatorName{QStringLiteral("operator"),
                                          QStringLiteral("with --report-pdf: the operator's name"),
                                          QStringLiteral("TEXT")};
    const QCommandLineOption project{
        QStringLiteral("project"), QStringLiteral("with --report-pdf: the project"), QStringLiteral("TEXT")};

    CommandLine() {
        QCoreApplication::setApplicationName(QStringLiteral("k470"));
        QCoreApplication::setApplicationVersion(QStringLiteral(K470_VERSION));
        parser.setApplicationDescription(QStringLiteral("Utility for hand-held measuring instruments"));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(
            QStringLiteral("file"),
            QStringLiteral("a device data file (.bin or .sdt) to open; with --report-pdf, the .bin "
                           "files of the report"));
        parser.addOption(exitWhenShown);
        parser.addOption(simulator);
        parser.addOption(simulatorSignal);
        parser.addOption(reportPdf);
        parser.addOption(level);
        parser.addOption(operatorName);
        parser.addOption(project);
    }
};

}  // namespace

void UtilityApp::AnswerCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine line;
    // A usage error ends the program before any window system is asked for, as other commands do it.
    if (!line.parser.parse(arguments)) {
        std::fprintf(stderr, "k470: %s\nTry 'k470 --help'.\n", qPrintable(line.parser.errorText()));
        std::exit(2);
    }
    if (line.parser.isSet(QStringLiteral("help")) || line.parser.isSet(QStringLiteral("help-all")) ||
        line.parser.isSet(QStringLiteral("version"))) {
        QCoreApplication app(argc, argv);
        line.parser.process(app);  // prints and ends the program
    }
}

namespace {

// Starts the simulator of --simulator (with the signal of --simulator-signal) and points the window's links
// at it. None after a usage error (said on standard error); a simulator that cannot start is said in the
// window, which then runs without it.
std::optional<std::unique_ptr<Simulator>> StartBuiltInSimulator(const QCommandLineParser& parser,
                                                                const CommandLine& line,
                                                                ApplicationState& frame, MainWindow& window) {
    SimulatorOptions options;
    options.type = static_cast<DeviceType>(parser.value(line.simulator).toUShort());
    options.tcp = false;
    options.pty = true;
    if (parser.isSet(line.simulatorSignal)) {
        auto items = parseSignalList(parser.value(line.simulatorSignal).toStdString());
        if (!items) {
            std::fprintf(stderr, "k470: --simulator-signal: %s\n", items.error().message.c_str());
            return std::nullopt;
        }
        options.signal = std::move(*items);
    }
    // The simulator's raw counts read in pascals through the preset made for it, unless the user chose a
    // preset or calibrated the channel already.
    if (options.type == kStreamDeviceType) frame.ChoosePresetIfNoneChosen(kSimulatorPresetName);
    auto started = Simulator::Start(options);
    if (!started) {
        window.showError(QString::fromStdString(started.error().message));
        return std::unique_ptr<Simulator>();
    }
    window.links().UseLinks(
        std::make_unique<FixedTtyProvider>(std::vector<std::string>{(*started)->ptyPath()}), kTelePort);
    return std::move(*started);
}

}  // namespace

int UtilityApp::Run(QApplication& app) {
    TerminationWatch termination;
    CommandLine line;
    QApplication::setApplicationDisplayName(QStringLiteral("K470"));
    QApplication::setDesktopFileName(QStringLiteral("k470"));
    QCommandLineParser& parser = line.parser;
    const QCommandLineOption& exitWhenShown = line.exitWhenShown;
    const QCommandLineOption& simulator = line.simulator;
    parser.process(app);
    if (parser.isSet(line.reportPdf)) {
        HeadlessReport request;
        request.output = parser.value(line.reportPdf);
        request.level = parser.value(line.level);
        request.operatorName = parser.value(line.operatorName);
        request.project = parser.value(line.project);
        request.files = parser.positionalArguments();
        return RunHeadlessReport(request);
    }
    for (const QCommandLineOption* o : {&line.level, &line.operatorName, &line.project})
        if (parser.isSet(*o)) {
            std::fprintf(stderr, "k470: --%s goes with --report-pdf\n", qPrintable(o->names().constFirst()));
            return 1;
        }

    SettingsStore store(SettingsStore::defaultPath());
    const QStringList dirs = DataDirectories();
    const QString language = QString::fromStdString(store.ReadString("Init", "Language", ""));
    if (!language.isEmpty()) {
        InstallLanguage(language, dirs);  // a file that does not load leaves English in use
    } else {
        // First start: ask once; Cancel keeps English and asks again next time.
        LanguageDialog dialog(store, dirs);
        termination.watch(&dialog);
        const bool chosen =
            dialog.files().size() > 1 && !termination.requested() && dialog.exec() == QDialog::Accepted;
        termination.watch(nullptr);
        if (termination.requested()) return 0;  // nothing was changed yet
        // Without a choice the desktop's language decides between the two that come with the program.
        if (!chosen && QLocale::system().language() == QLocale::Russian)
            InstallLanguage(QStringLiteral("zrus.qm"), dirs);
    }
    InstallLexicon();

    std::unique_ptr<Simulator> simulated;  // outlives the window that talks to it
    ApplicationState frame(store);
    MainWindow window(frame);
    window.runLanguageDialog = [&store, dirs, &window] {
        LanguageDialog dialog(store, dirs, &window);
        return dialog.exec() == QDialog::Accepted;
    };
    // The built-in simulator plays a USB instrument on a pseudo-terminal, so "Data" works without one.
    if (parser.isSet(simulator)) {
        auto started = StartBuiltInSimulator(parser, line, frame, window);
        if (!started) return 2;
        simulated = std::move(*started);
    }
    termination.watchWindow(&window);
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) window.OpenPath(QFileInfo(files.first()).absoluteFilePath());
    if (parser.isSet(exitWhenShown)) {
        QTimer::singleShot(0, &window, [&window] {
            window.repaint();
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}

}  // namespace k470::app
