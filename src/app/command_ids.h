// The ids of the main window's commands and controls. Menu items, tool-bar buttons and the control row use
// the same ids, and a tool tip is looked up by the id of what it belongs to.
#pragma once

namespace k470::app {

enum CommandId : int {
    // File
    CmdOpen = 1001,
    CmdSaveAsBinary = 1010,
    CmdSaveAsText = 1006,
    CmdTranslateBinToTxt = 1007,
    CmdMergeToOneTxt = 32788,
    CmdMakeReport = 103,
    CmdCalcPercentiles = 136,
    CmdTranslateSdtToTxt = 132,
    CmdTranslateSdtToWav = 32786,
    CmdTeleParameters = 105,
    CmdRecentFile1 = 208,  // 208..211: the recent-file items
    CmdRecentFile4 = 211,
    // Acquisition
    CmdData = 1008,
    CmdSignal = 1009,
    CmdFft = 32785,
    CmdRt60 = 125,
    CmdSignalFiltration = 119,
    CmdMisc = 189,
    // Operation
    CmdStartStop = 1012,
    CmdReset = 1011,
    CmdStartRecording = 32789,
    CmdStopRecording = 32790,
    CmdSetMarker = 230,
    // Help
    CmdAbout = 32780,
    CmdSelectLanguage = 124,
    // tool bar only
    CmdCopyToClipboard = 102,
    CmdNotepad = 126,
    // controls
    CtlTabs = 1000,
    CtlRecordUpDown = 1029,
    CtlRecordPosition = 1030,
    CtlAverage = 1031,
    CtlAverageFirst = 1032,
    CtlAverageLast = 1033,
    CtlAverageText = 1034,
    CtlProgress = 1014,
    CtlPlay = 1093,
    CtlPause = 1099,
    CtlChannel = 1101,
    CtlReplayRange = 1169,
};

}  // namespace k470::app
