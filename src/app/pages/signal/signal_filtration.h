// SPDX-License-Identifier: GPL-3.0-or-later
// "Signal filtration": the signal parameters dialog on a copy of the window's signal state, its result
// taken back, and on "Process" the open signal file reprocessed into a new temporary file. Every source
// runs it the same way; a replayed file adds its file and holds its replay meanwhile.
#pragma once

#include <functional>

#include "data/measurement_record.h"
#include "data/sdt_container.h"
#include "frame/signal_parameters.h"

class QWidget;

namespace k470::app {

class ApplicationState;
struct UserDialogs;

struct FiltrationInput {
    DeviceType type = 0;                        // the device type of the source shown
    const MeasurementRecord* record = nullptr;  // the record shown, if any
    const SdtContainer* sdt = nullptr;          // the replayed signal file, if any
    ProcessedFileHolder* processed = nullptr;   // where "Process" keeps its file (with a signal file)
};

// Runs the command; changed is called whenever the signal settings changed, so the pages redraw.
void RunSignalFiltration(ApplicationState& frame, UserDialogs& dialogs, QWidget* parent,
                         const FiltrationInput& input, const std::function<void()>& changed);

}  // namespace k470::app
