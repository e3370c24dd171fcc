// The program's main window: menu, tool bar with a status field, the row of record, averaging, replay and
// acquisition controls, and the tab control for the pages of the current source. It shows the state of a
// FrameController and forwards every command to it or to the command's own dialog; commands of features
// not built yet stay disabled.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/frame_controller.h"
#include "app/level_pages.h"
#include "app/signal_parameters.h"
#include "export/file_set.h"
#include "signal/sdt_conversion.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;

namespace k470::views {
class SignalTrace;
}

namespace k470::app {

class AcquisitionWindow;
class ReplayWindow;

class MainDialog : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainDialog(FrameController& frame, QWidget* parent = nullptr);
    ~MainDialog() override;

    // Opens a file as "Open" does once the file is chosen.
    void OpenPath(const QString& path);
    // Runs a command as its menu item, tool-bar button or control would.
    void Dispatch(int id);

    QAction* action(int id) const;
    QWidget* control(int id) const;
    QToolBar* toolBar() const { return toolBar_; }
    QTabWidget* tabs() const { return tabs_; }
    QLabel* statusField() const { return status_; }
    QMenu* fileMenu() const { return fileMenu_; }
    FrameController& frame() { return frame_; }
    AcquisitionWindow& acquisition() { return *acquisition_; }
    ReplayWindow& replay() { return *replay_; }

    // The user's side of the dialogs, replaceable so that the window can be driven without a person.
    std::function<QString()> askOpenPath;
    // A single-file open dialog with a title and filter; empty when cancelled.
    std::function<QString(const QString& title, const QString& filter)> askOpenFile;
    std::function<void(const QString& message)> showError;
    std::function<bool(const QString& title, const QString& question)> askYesNo;
    std::function<bool()> runLanguageDialog;
    std::function<void()> showAbout;
    // A save dialog with a proposed name; empty when cancelled.
    std::function<QString(const QString& title, const QString& proposed, const QString& filter)> askSavePath;
    // A multi-select open dialog; empty when cancelled.
    std::function<QStringList(const QString& title, const QString& filter)> askOpenPaths;
    // A number dialog ("Enter record position"); nothing when cancelled.
    std::function<std::optional<int>(const QString& title, const QString& label, int value)> askNumber;
    // A text dialog ("Enter calibration offset"); nothing when cancelled.
    std::function<std::optional<QString>(const QString& title, const QString& label, const QString& value)>
        askText;
    // "Select marker": the index of the chosen name; nothing when cancelled.
    std::function<std::optional<int>(const QString& title, const QStringList& names)> askMarker;
    // Shows the replay range menu at its button; the chosen action, or null when dismissed.
    std::function<QAction*(QMenu& menu)> runMenu;
    // Runs a modal dialog of a command (the percentile and report dialogs); returns its result code.
    std::function<int(QDialog& dialog)> runDialog;

    // The pages of the current source, in tab order.
    const std::vector<LevelPage*>& pages() const { return pages_; }
    // The record the pages show: the current one, or the average while "Average" is on.
    const MeasurementRecord* shownRecord() const;
    PageContext& pageContext() { return context_; }
    bool averaging() const { return averaged_.has_value(); }
    views::Notepad& notepad() { return notepad_; }
    // The signal file made by the last "Process" of "Signal parameters"; removed when the window goes.
    const ProcessedFile* processedFile() const { return processedFile_.get(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildControls();
    void restorePlacement();
    void refresh();
    QAction* addCommand(QMenu* menu, int id, const QString& text);
    void onOpen();
    void onSelectLanguage();
    void buildPages();
    void destroyPages();
    void refreshPages();
    void afterSourceChange(bool opened);
    // A signal file became the source: its replay starts and the "Signal" page shows it.
    void startReplay();
    // The "Signal" page of a replayed file or of the raw-signal instrument, showing the trace.
    void addSignalPage(const views::SignalTrace& trace);
    void onReplayRange();
    // The channel list of the replayed file, labelled by the channel set-up.
    void fillSignalChannels();
    // The connected instrument's pages: built when it answers, redrawn on its values.
    void onInstrumentAnswered();
    void onInstrumentData();
    void takeLiveRecord();
    void goToRecord(int k);
    void onRecordPosition();
    void onAverage(bool on);
    void onSaveAsText();
    void onSaveAsBinary();
    void onTranslateBinToTxt();
    void onMergeToOneTxt();
    // "Translate .sdt to .wav" / "Translate .sdt to .txt".
    void onTranslateSdt(bool wav);
    // Asks for .bin files of one device type; false when cancelled or refused (the message is shown).
    std::optional<FileSet> askFileSetOfOneType(const QString& title, std::vector<std::string>& paths);
    void onCalcPercentiles();
    void onMakeReport();
    void onMisc();
    void onNotepad();
    void onSignalFiltration();
    // "Enter calibration offset" for channel 0..2 of the connected instrument.
    void onCalibrationOffset(int channel);
    QString toolTipFor(int id) const;

    FrameController& frame_;
    std::map<int, QAction*> actions_;
    std::map<int, QWidget*> controls_;
    QMenu* fileMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* status_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    bool shutDown_ = false;
    std::unique_ptr<ReplayWindow> replay_;
    std::unique_ptr<AcquisitionWindow> acquisition_;
    std::vector<LevelPage*> pages_;
    PageContext context_;
    std::optional<MeasurementRecord> averaged_;
    std::optional<MeasurementRecord> liveRecord_;  // the instrument's current values as a record
    views::Notepad notepad_;
    TranslationParameters translation_;  // the last answers of "Translation parameters"
    ProcessedFileHolder processedFile_;
};

}  // namespace k470::app
