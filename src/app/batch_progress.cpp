#include "app/batch_progress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace k470::app {

BatchProgress::BatchProgress(const QString& label, int maximum, QWidget* parent, QProgressBar* bar)
    : dialog_(label, QCoreApplication::translate("k470::app::MainDialog", "Cancel"), 0, maximum, parent),
      bar_(bar) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(500);
}

bool BatchProgress::Step(int value) {
    dialog_.setValue(value);
    if (bar_) bar_->setValue(value);
    return !cancelled();
}

void BatchProgress::Finish() {
    cancelled_ = cancelled();
    dialog_.reset();
    if (bar_) bar_->setValue(0);
}

}  // namespace k470::app
