// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/batch_progress.h"

#include <QCoreApplication>

namespace k470::app {

BatchProgress::BatchProgress(const QString& label, int maximum, QWidget* parent,
                             std::function<void(int)> showBar)
    : dialog_(label, QCoreApplication::translate("k470::app::MainWindow", "Cancel"), 0, maximum, parent),
      showBar_(std::move(showBar)) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(500);
}

bool BatchProgress::Step(int value) {
    dialog_.setValue(value);
    if (showBar_) showBar_(value);
    return !cancelled();
}

void BatchProgress::Finish() {
    cancelled_ = cancelled();
    dialog_.reset();
    if (showBar_) showBar_(0);
}

}  // namespace k470::app
