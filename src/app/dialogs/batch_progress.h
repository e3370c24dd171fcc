// SPDX-License-Identifier: GPL-3.0-or-later
// The progress of a long command: a window-modal dialog with "Cancel" that appears once the work has run
// for half a second, and, when given, the window's own progress bar (through showBar). Both are cleared
// when the work ends.
#pragma once

#include <QProgressDialog>
#include <cstdint>
#include <functional>

namespace k470::app {

class BatchProgress {
  public:
    BatchProgress(const QString& label, int maximum, QWidget* parent,
                  std::function<void(int)> showBar = nullptr);
    ~BatchProgress() { Finish(); }
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    // Shows the value; false once the user has cancelled.
    bool Step(int value);
    // Closes the dialog (before a message is shown); cancelled() stays as it was.
    void Finish();
    bool cancelled() const { return cancelled_ || dialog_.wasCanceled(); }

  private:
    QProgressDialog dialog_;
    std::function<void(int)> showBar_;
    bool cancelled_ = false;
};

// The share done of a batch of records, 0..100: record (0-based) of records, with percent of its own work.
inline int BatchPercent(uint32_t record, uint32_t records, int percent) {
    if (records == 0) return 0;
    return static_cast<int>((uint64_t{record} * 100u + static_cast<uint32_t>(percent)) / records);
}

}  // namespace k470::app
