// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that need no source: "Open" and the recent files, "Data", the analysis commands that choose
// their own files (translate, merge, report, percentiles, the .sdt conversions), "Tele parameters", the
// notepad, "Signal filtration" without a source, the language and "About". They open and close sources
// only through the window that owns them.
#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/sessions/instrument_session.h"
#include "app/sessions/session.h"
#include "export/file_set.h"
#include "frame/commands.h"
#include "frame/recent_file_list.h"
#include "signal/sdt_conversion.h"

class QWidget;

namespace k470::app {

class ApplicationState;
struct UserDialogs;

// The window's title while no source is open.
inline constexpr const char* kDefaultTitle = "470 Utility";

// The owner of the sessions, as the global commands see it.
class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual Session* session() const = 0;
    // What a new session works with.
    virtual SessionEnv sessionEnv() = 0;
    // Closes the current session; false when it stays open (the user kept an active autorecording).
    virtual bool closeSession() = 0;
    // Hosts a new session; the previous one is closed already.
    virtual void openSession(std::unique_ptr<Session> session) = 0;
    // The title, the commands and the row are shown again.
    virtual void sessionStateChanged() = 0;
    // The window closes (after "Select language").
    virtual void quit() = 0;
};

// Opens a file as the source its name says: a record file or a signal file. title is the window's title
// when the file cannot be opened (a record file of an unknown type is still named).
Result<std::unique_ptr<Session>> OpenFileSession(const SessionEnv& env, const std::string& path,
                                                 std::string& title);

class GlobalCommands : public QObject {
    Q_OBJECT
  public:
    GlobalCommands(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent, SessionHost& host);
    ~GlobalCommands() override;

    void run(Command command);
    // Opens a file as "Open" does once the file is chosen; the current source is closed first.
    void OpenPath(const std::string& path);

    RecentFileList& recentFiles() { return recent_; }
    InstrumentLinks& links() { return links_; }
    // The time of the sessions opened from now on: the steady clock unless another is given (tests give
    // a clock they move by hand).
    const SessionTime& time() const { return *time_; }
    void UseTime(SessionTime time) { time_.emplace(std::move(time)); }
    // The window's title while no source is open.
    const std::string& idleTitle() const { return idleTitle_; }
    views::Notepad& notepad() { return notepad_; }

  private:
    void onOpen();
    void onRecentFile(int index);
    void onData();
    void onTranslateBinToTxt();
    void onMergeToOneTxt();
    // "Translate .sdt to .wav" / "Translate .sdt to .txt".
    void onTranslateSdt(bool wav);
    // Asks for .bin files of one device type; nothing when cancelled or refused (the message is shown).
    std::optional<FileSet> askFileSetOfOneType(const QString& title, std::vector<std::string>& paths);
    void onCalcPercentiles();
    void onMakeReport();
    void onSelectLanguage();
    // An output chosen for inputs: refused (with the message) when it is one of them.
    bool refusedAsInput(const QString& output, const QStringList& inputs);

    ApplicationState& frame_;
    UserDialogs& dialogs_;
    QWidget* parent_;
    SessionHost& host_;
    RecentFileList recent_;
    InstrumentLinks links_;
    std::optional<SessionTime> time_{SteadyTime()};
    views::Notepad notepad_;
    TranslationParameters translation_;  // the last answers of "Translation parameters"
    std::string idleTitle_ = kDefaultTitle;
};

}  // namespace k470::app
