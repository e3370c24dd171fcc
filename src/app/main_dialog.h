// The program's main window: menu, tool bar with a status field, the row of record, averaging, replay and
// acquisition controls, and the tab control for the pages of the current source. It shows the state of a
// FrameController and forwards every command to it or to the command's own dialog; commands of features
// not built yet stay disabled.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "app/frame_controller.h"

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;

namespace k470::app {

class AcquisitionWindow;

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

    // The user's side of the dialogs, replaceable so that the window can be driven without a person.
    std::function<QString()> askOpenPath;
    std::function<void(const QString& message)> showError;
    std::function<bool(const QString& title, const QString& question)> askYesNo;
    std::function<bool()> runLanguageDialog;
    std::function<void()> showAbout;

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
    QString toolTipFor(int id) const;

    FrameController& frame_;
    std::map<int, QAction*> actions_;
    std::map<int, QWidget*> controls_;
    QMenu* fileMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* status_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    bool shutDown_ = false;
    std::unique_ptr<AcquisitionWindow> acquisition_;
};

}  // namespace k470::app
