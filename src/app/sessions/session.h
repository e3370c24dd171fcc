// SPDX-License-Identifier: GPL-3.0-or-later
// One open source of the main window: a device data file, a signal file or a connected instrument. A
// session owns what its source needs (the file, the replay, the acquisition), makes the pages that show
// it, says which commands it allows and how the control row looks, and runs its own commands. It reports
// changes to its owner through a narrow observer and never touches the window's widgets. Only the owner
// opens and closes a session.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "data/measurement_record.h"
#include "frame/commands.h"
#include "views/control_row.h"

class QWidget;

namespace k470::views {
class Notepad;
}

namespace k470 {
class SettingsStore;
}

namespace k470::app {

class ApplicationState;
class SourcePage;
struct PageContext;
struct UserDialogs;

// What a session tells its owner.
class SessionObserver {
  public:
    enum class Change {
        Pages,   // the pages were made again: the window hosts the new set
        Values,  // new values: the page in front redraws
        State,   // title, status, control row or allowed commands changed
    };
    virtual ~SessionObserver() = default;
    virtual void SessionChanged(Change change) = 0;
    // The source went away by itself (the instrument did not answer or closed the connection): the owner
    // closes the session when the current command or tick is over.
    virtual void SessionEnded() = 0;
    // Brings one of the session's pages to the front: a command ("Signal", "FFT", "RT-60") chose it.
    virtual void ShowPage(QWidget* page) { (void)page; }
    // Opens a file as the window's source, as "Open" would, once the current command is over (the session
    // that asks goes with it).
    virtual void OpenPathLater(const std::string& path) { (void)path; }
};

// The time the sessions go by: the clock that their time decisions read (the time-outs of the connect
// sequence, autorecording periods, the stream's silence limit, the pace of a replay) and the pause of the
// connect sequence, which moves that clock as it passes. Timers only say when to look at the clock.
struct SessionTime {
    const Clock& clock;
    std::function<void(uint32_t ms)> pause;
};

// The program's time: the steady clock, and a pause that holds the thread.
SessionTime SteadyTime();

// What every session works with: the window's settings and signal state, the user's dialogs, the
// window as the parent of dialogs and pages, the owner to report to, and the time.
struct SessionEnv {
    ApplicationState& frame;
    UserDialogs& dialogs;
    QWidget* window;
    SessionObserver& observer;
    views::Notepad& notepad;  // the points that the plots note
    SessionTime time;
};

// The page context of a new source of type: the frame's settings, the notepad and the type's 0 dB
// reference.
PageContext NewPageContext(const SessionEnv& env, DeviceType type);

class Session {
  public:
    virtual ~Session() = default;

    // The pages that show the source, in tab order, with their tab texts; the session owns them.
    struct Page {
        SourcePage* widget;
        QString tabText;
    };
    virtual std::vector<Page> pages() const = 0;
    // The tab to bring to the front when the pages are hosted.
    virtual int initialTab() const { return 0; }
    virtual views::ControlRow controlRow() const = 0;
    // The session's own commands; a global command is allowed unless the session says otherwise.
    virtual bool allowed(Command command) const = 0;
    virtual std::string title() const = 0;
    virtual QString status() const = 0;
    // Runs one of the session's commands; false for a command it leaves to the global commands.
    virtual bool run(Command command) = 0;
    // Whether the source went away by itself (see SessionObserver::SessionEnded).
    virtual bool ended() const { return false; }
    // The user chose channel entry index of the control row's list.
    virtual void selectChannel(int index) = 0;
    // The user typed the averaging range.
    virtual void setAverageRange(const QString& /*first*/, const QString& /*last*/) {}
    // The previous (-1) or next (+1) record.
    virtual void stepRecord(int /*step*/) {}
    // "Average" pressed or released.
    virtual void setAveraging(bool /*on*/) {}
    // Asked before the session goes (an active autorecording asks the user); false keeps it open. The
    // tab shown is kept for the next source of the same kind.
    virtual bool close(int shownTab) = 0;
    // What the channel set-up of "Signal filtration" reads: the device type and the record shown.
    virtual DeviceType deviceType() const = 0;
    virtual const MeasurementRecord* shownRecord() const = 0;
};

// "channel 1" .. "channel n".
std::vector<std::string> NumberedChannels(int n);
// The pages with the tab text of their kind.
std::vector<Session::Page> TabbedPages(const std::vector<SourcePage*>& pages);
// The tab shown when the last source of this kind closed, when a source with count pages has it; else the
// first.
int StoredTab(const SettingsStore& store, int count);

}  // namespace k470::app
