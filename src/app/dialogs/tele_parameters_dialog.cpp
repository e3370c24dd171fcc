// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/tele_parameters_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/lexicon.h"
#include "base/settings_store.h"

namespace k470::app {

TeleParametersDialog::TeleParametersDialog(const TeleParameters& values, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Tele parameters"));
    auto* column = new QVBoxLayout(this);

    auto* group = new QGroupBox(tr("Tele adapter"), this);
    auto* row = new QHBoxLayout(group);
    usb_ = new QRadioButton(tr("USB"), group);
    wifi_ = new QRadioButton(tr("WiFi"), group);
    row->addWidget(usb_);
    row->addWidget(wifi_);
    row->addStretch(1);
    column->addWidget(group);

    column->addWidget(new QLabel(tr("WiFi network adapter IP address"), this));
    local_ = new QLineEdit(QString::fromStdString(values.localAddress), this);
    column->addWidget(local_);
    column->addWidget(new QLabel(tr("Device IP address"), this));
    remote_ = new QLineEdit(QString::fromStdString(values.remoteAddress), this);
    column->addWidget(remote_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    (values.kind == LinkKind::WiFi ? wifi_ : usb_)->setChecked(true);
    connect(usb_, &QRadioButton::clicked, this, &TeleParametersDialog::updateEnabling);
    connect(wifi_, &QRadioButton::clicked, this, &TeleParametersDialog::updateEnabling);
    updateEnabling();
}

void TeleParametersDialog::updateEnabling() {
    const bool wifi = wifi_->isChecked();
    local_->setEnabled(wifi);
    remote_->setEnabled(wifi);
}

TeleParameters TeleParametersDialog::values() const {
    TeleParameters v;
    v.kind = wifi_->isChecked() ? LinkKind::WiFi : LinkKind::Usb;
    v.localAddress = local_->text().toStdString();
    v.remoteAddress = remote_->text().toStdString();
    return v;
}

void TeleParametersDialog::Edit(SettingsStore& settings, QWidget* parent,
                                const std::function<bool(TeleParametersDialog&)>& runDialog,
                                const std::function<void(const QString&)>& showError) {
    const TeleEndpoint endpoint = readTeleEndpoint(settings);
    TeleParametersDialog dialog({readLinkKind(settings), endpoint.localAddress, endpoint.remoteAddress},
                                parent);
    if (!runDialog(dialog)) return;
    const TeleParameters v = dialog.values();
    if (!writeTeleSettings(settings, v.kind, v.localAddress, v.remoteAddress))
        showError(QString::fromStdString(lexicon().cantOpenFile(settings.path())));
}

}  // namespace k470::app
