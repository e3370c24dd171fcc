// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands and the controls of its control row, by name. Menu items, tool-bar buttons and
// the controls share these names; a tool tip and an icon are looked up by them.
#pragma once

namespace k470::app {

enum class Command {
    // File
    Open,
    SaveAsBinary,
    SaveAsText,
    PrintReport,      // the measurement report of the open data file
    ExportReportPdf,  // the same report as a PDF file
    TranslateBinToTxt,
    MergeToOneTxt,
    MakeReport,
    CalcPercentiles,
    TranslateSdtToTxt,
    TranslateSdtToWav,
    TeleParameters,
    RecentFile1,  // RecentFile1..RecentFile4: the recent-file items, newest first
    RecentFile2,
    RecentFile3,
    RecentFile4,
    Quit,
    // Acquisition
    Data,
    Signal,
    Fft,
    Rt60,
    Vibration,
    SignalFiltration,
    Misc,
    // Operation
    StartStop,
    Reset,
    StartRecording,
    StopRecording,
    SetMarker,
    // Help
    About,
    SelectLanguage,
    // tool bar only
    CopyToClipboard,
    Notepad,
    // the control row's own commands
    RecordPosition,
    Play,
    Pause,
    ReplayRange,
};

// The recent-file item i (0..3) and back; -1 for a command that is no such item.
constexpr Command RecentFileCommand(int i) {
    return static_cast<Command>(static_cast<int>(Command::RecentFile1) + i);
}
constexpr int RecentFileIndex(Command c) {
    const int i = static_cast<int>(c) - static_cast<int>(Command::RecentFile1);
    return i >= 0 && i < 4 ? i : -1;
}

// The controls of the row above the pages.
enum class Control {
    StartStop,
    RecordStep,  // the previous / next record arrows
    RecordPosition,
    AverageFirst,
    AverageLast,
    Average,
    AverageText,
    Progress,
    Play,
    Pause,
    Channel,
    Preset,  // the name of the active processing preset
    ReplayRange,
    SetMarker,
    Armed,  // an autorecording waits for its trigger
};

}  // namespace k470::app

namespace k470::app {

// The commands that need no source: they choose their own files, start a source or change settings. A
// session allows them unless it says otherwise; every other command belongs to a session.
constexpr bool IsGlobalCommand(Command c) {
    switch (c) {
        case Command::Open:
        case Command::TranslateBinToTxt:
        case Command::MergeToOneTxt:
        case Command::MakeReport:
        case Command::CalcPercentiles:
        case Command::TranslateSdtToTxt:
        case Command::TranslateSdtToWav:
        case Command::TeleParameters:
        case Command::RecentFile1:
        case Command::RecentFile2:
        case Command::RecentFile3:
        case Command::RecentFile4:
        case Command::Quit:
        case Command::Data:
        case Command::SignalFiltration:
        case Command::About:
        case Command::SelectLanguage:
        case Command::Notepad:
            return true;
        default:
            return false;
    }
}

}  // namespace k470::app
