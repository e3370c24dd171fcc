// Which commands are enabled. Each source change enables or disables a fixed set of commands; a command
// is offered only when its state allows it and this build has a handler for it (commands of features
// that are not built yet stay disabled).
#pragma once

#include <initializer_list>
#include <set>

namespace k470::app {

class CommandState {
  public:
    // Every command enabled by state, none handled: call Initialise and mark the handled ones.
    CommandState() = default;

    // The window was created: the commands that need a source or an instrument, and the instrument
    // functions that are not offered at all, are disabled.
    void Initialise();
    // The current source was closed.
    void SourceClosed();
    // A device data file was opened (its records can be saved and exported, its parameters shown).
    void DataFileOpened();
    // An instrument answered after "Data".
    void InstrumentConnected();
    void AutorecordingStarted();
    void AutorecordingStopped();

    void setHandled(std::initializer_list<int> ids);
    bool handled(int id) const { return handled_.count(id) != 0; }
    // Allowed by the state alone.
    bool allowed(int id) const { return disabled_.count(id) == 0; }
    // Offered to the user: allowed and handled.
    bool enabled(int id) const { return allowed(id) && handled(id); }

    void enable(std::initializer_list<int> ids);
    void disable(std::initializer_list<int> ids);

  private:
    std::set<int> disabled_;
    std::set<int> handled_;
};

}  // namespace k470::app
