// SPDX-License-Identifier: GPL-3.0-or-later
// The program's main window: menus, the tool bar with a status field, the control row, and the tabs that
// host the pages of the open source. It owns the one open session (or none) and the global commands; a
// command goes to the session when the session runs it, else to the global commands. The window applies
// the session's title, status, allowed commands and control row to its widgets and never asks which kind
// of source is open.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

#include "app/commands/global_commands.h"
#include "app/dialogs/user_dialogs.h"
#include "app/sessions/session.h"
#include "frame/application_state.h"
#include "frame/commands.h"

class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;

namespace k470::app {

class SourcePage;

class MainWindow : public QMainWindow, public UserDialogs, private SessionObserver, private SessionHost {
    Q_OBJECT
  public:
    explicit MainWindow(ApplicationState& frame, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a file as "Open" does once the file is chosen.
    void OpenPath(const QString& path);
    // Runs a command as its menu item, tool-bar button or control would; nothing when it is disabled.
    void Dispatch(Command command);
    bool enabled(Command command) const;
    // A termination signal: open dialogs are cancelled and the window closes without asking, writing the
    // settings as on any other exit.
    void Terminate();

    QAction* action(Command command) const;
    QWidget* control(Control control) const;
    QToolBar* toolBar() const { return toolBar_; }
    QTabWidget* tabs() const { return tabs_; }
    QLabel* statusField() const { return status_; }
    QMenu* fileMenu() const { return fileMenu_; }
    ApplicationState& frame() { return frame_; }
    GlobalCommands& globals() { return *globals_; }
    InstrumentLinks& links() { return globals_->links(); }
    views::Notepad& notepad() { return globals_->notepad(); }

    // The open session; null when no source is open.
    Session* session() const override { return session_.get(); }
    // The open session when it is of kind S (for tests and tools that drive one kind).
    template <class S>
    S* sessionAs() const {
        return dynamic_cast<S*>(session_.get());
    }
    // The pages of the open source, in tab order.
    std::vector<SourcePage*> pages() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // SessionObserver
    void SessionChanged(Change change) override;
    void SessionEnded() override;
    void ShowPage(QWidget* page) override;
    void OpenPathLater(const std::string& path) override;
    // SessionHost
    SessionEnv sessionEnv() override;
    bool closeSession() override;
    void openSession(std::unique_ptr<Session> session) override;
    void sessionStateChanged() override { refresh(); }
    void quit() override { close(); }

    void buildMenus();
    void buildToolBar();
    void buildControls();
    void buildRecordControls(QWidget* central, QHBoxLayout* row);
    void buildReplayControls(QWidget* central, QHBoxLayout* row);
    void useRealDialogs();
    void restorePlacement();
    // The window grows (within the screen) until the pages of the source fit.
    void fitPages();
    void refresh();
    void applyRow(const views::ControlRow& row);
    void hostPages();
    void releasePages();
    void closeEndedSession();
    void copyPages();
    int shownTab() const;
    QAction* addCommand(QMenu* menu, Command command, const QString& text);
    QString toolTipFor(Command command) const;
    QWidget* keep(Control id, QWidget* w);

    ApplicationState& frame_;
    std::unique_ptr<GlobalCommands> globals_;
    std::unique_ptr<Session> session_;
    std::map<Command, QAction*> actions_;
    std::map<Control, QWidget*> controls_;
    QMenu* fileMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* status_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    bool shutDown_ = false;
    bool terminating_ = false;
};

}  // namespace k470::app
