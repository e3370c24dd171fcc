// SPDX-License-Identifier: GPL-3.0-or-later
// "Tele parameters": the kind of adapter the instrument is reached through (USB or the WiFi tele
// adapter) and, for WiFi, the address of the PC's network adapter and of the instrument's tele adapter.
// The addresses can be edited only while "WiFi" is chosen.
#pragma once

#include <QDialog>
#include <functional>

#include "link/tele_link.h"

class QLineEdit;
class QRadioButton;

namespace k470 {
class SettingsStore;
}

namespace k470::app {

struct TeleParameters {
    LinkKind kind = LinkKind::Usb;
    std::string localAddress;   // "IP1"
    std::string remoteAddress;  // "IP2"
};

class TeleParametersDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TeleParametersDialog(const TeleParameters& values, QWidget* parent = nullptr);

    TeleParameters values() const;

    QRadioButton* usbButton() const { return usb_; }
    QRadioButton* wifiButton() const { return wifi_; }
    QLineEdit* localAddressEdit() const { return local_; }
    QLineEdit* remoteAddressEdit() const { return remote_; }

    // The dialog on the settings of section "Init": OK writes them (a message names the settings file if
    // it cannot be written), Cancel writes nothing. The new values take effect at the next "Data".
    // runDialog shows the dialog and tells whether it ended with OK.
    static void Edit(SettingsStore& settings, QWidget* parent,
                     const std::function<bool(TeleParametersDialog&)>& runDialog,
                     const std::function<void(const QString&)>& showError);

  private:
    void updateEnabling();

    QRadioButton* usb_ = nullptr;
    QRadioButton* wifi_ = nullptr;
    QLineEdit* local_ = nullptr;
    QLineEdit* remote_ = nullptr;
};

}  // namespace k470::app
