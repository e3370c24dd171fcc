#include "app/command_state.h"

#include "app/command_ids.h"

namespace k470::app {

void CommandState::enable(std::initializer_list<int> ids) {
    for (int id : ids) disabled_.erase(id);
}

void CommandState::disable(std::initializer_list<int> ids) {
    for (int id : ids) disabled_.insert(id);
}

void CommandState::setHandled(std::initializer_list<int> ids) {
    for (int id : ids) handled_.insert(id);
}

void CommandState::Initialise() {
    disable({CmdReset, CmdStartStop, CmdSaveAsBinary, CmdSaveAsText, CmdStartRecording, CmdStopRecording,
             CmdSetMarker, CmdSignal, CmdFft, CmdRt60});
}

void CommandState::SourceClosed() {
    disable({CmdReset, CmdStartStop, CmdSaveAsBinary, CmdSaveAsText, CmdStartRecording, CmdStopRecording,
             CmdSetMarker, CmdMisc});
}

void CommandState::DataFileOpened() {
    enable({CmdSaveAsBinary, CmdSaveAsText, CmdMisc});
}

void CommandState::InstrumentConnected() {
    disable({CmdSignalFiltration, CmdStopRecording, CmdSetMarker});
    enable({CmdMisc, CmdReset, CmdStartStop, CmdSaveAsBinary, CmdStartRecording});
}

void CommandState::AutorecordingStarted() {
    disable({CmdStartRecording});
    enable({CmdStopRecording, CmdSetMarker});
}

void CommandState::AutorecordingStopped() {
    enable({CmdStartRecording});
    disable({CmdStopRecording, CmdSetMarker});
}

}  // namespace k470::app
