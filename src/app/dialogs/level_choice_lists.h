// SPDX-License-Identifier: GPL-3.0-or-later
// The level choice lists of the analysis dialogs: table, parameter, band and (for the three-channel
// types) channel; changing the table refills the parameter and band lists.
#pragma once

#include <QObject>

#include "export/level_locator.h"

class QComboBox;
class QHBoxLayout;

namespace k470::app {

// The level choice lists that both dialogs share: table, parameter, band and (for the three-channel
// types) channel; changing the table refills the parameter and band lists.
class LevelChoiceLists : public QObject {
    Q_OBJECT
  public:
    LevelChoiceLists(DeviceType type, QWidget* parent);
    LevelSelection selection() const;
    // Chooses the selection's entries where the lists offer them (the table first, as it refills the rest).
    void Select(const LevelSelection& s);
    QComboBox* table() const { return table_; }
    QComboBox* parameter() const { return parameter_; }
    QComboBox* band() const { return band_; }
    QComboBox* channel() const { return channel_; }
    bool hasChannels() const { return hasChannels_; }
    // The four lists side by side, as a row of a dialog.
    QHBoxLayout* row() const;

  private:
    void refill();
    DeviceType type_;
    QComboBox* table_;
    QComboBox* parameter_;
    QComboBox* band_;
    QComboBox* channel_;
    bool hasChannels_ = false;
};

}  // namespace k470::app
