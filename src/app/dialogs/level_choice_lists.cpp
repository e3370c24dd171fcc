// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/level_choice_lists.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <algorithm>

#include "app/dialogs/batch_progress.h"
#include "app/qt_text.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/measurement_record.h"
#include "frame/frame_settings.h"
#include "plot/bar_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

namespace {
void fill(QComboBox* box, const std::vector<LevelChoice>& choices) {
    const QSignalBlocker block(box);
    const int old = box->currentIndex();
    box->clear();
    for (const auto& c : choices) box->addItem(qs(c.text), c.number);
    if (box->count() > 0) box->setCurrentIndex(std::clamp(old, 0, box->count() - 1));
}
}  // namespace

LevelChoiceLists::LevelChoiceLists(DeviceType type, QWidget* parent)
    : QObject(parent),
      type_(type),
      table_(new QComboBox(parent)),
      parameter_(new QComboBox(parent)),
      band_(new QComboBox(parent)),
      channel_(new QComboBox(parent)) {
    fill(table_, levelTableChoices(type));
    const auto channels = levelChannelChoices(type);
    hasChannels_ = !channels.empty();
    fill(channel_, channels);
    channel_->setVisible(hasChannels_);
    refill();
    connect(table_, &QComboBox::currentIndexChanged, this, [this] { refill(); });
}

void LevelChoiceLists::refill() {
    const int table = table_->currentData().toInt();
    fill(parameter_, levelParameterChoices(type_, table));
    fill(band_, levelBandChoices(type_, table));
}

LevelSelection LevelChoiceLists::selection() const {
    return {table_->currentData().toInt(), parameter_->currentData().toInt(), band_->currentData().toInt(),
            hasChannels_ ? channel_->currentData().toInt() : 0};
}
void LevelChoiceLists::Select(const LevelSelection& s) {
    const auto choose = [](QComboBox* box, int number) {
        const int i = box->findData(number);
        if (i >= 0) box->setCurrentIndex(i);
    };
    choose(table_, s.table);
    choose(parameter_, s.parameter);
    choose(band_, s.band);
    choose(channel_, s.channel);
}

QHBoxLayout* LevelChoiceLists::row() const {
    auto* layout = new QHBoxLayout;
    for (QComboBox* c : {table_, parameter_, band_, channel_}) layout->addWidget(c);
    return layout;
}

}  // namespace k470::app
