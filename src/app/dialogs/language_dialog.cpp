// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/language_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QVBoxLayout>

#include "base/lexicon.h"
#include "base/settings_store.h"

namespace k470::app {

LanguageDialog::LanguageDialog(SettingsStore& store, QStringList directories, QWidget* parent)
    : QDialog(parent), store_(store), directories_(std::move(directories)) {
    setWindowTitle(tr("Select language"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    files_ = FindLanguageFiles(directories_);
    for (const LanguageFile& f : files_) list_->addItem(f.name);
    // The desktop's own language is offered first, when it is among them.
    const QString preferred = QLocale::system().language() == QLocale::Russian ? QStringLiteral("zrus.qm")
                                                                               : QStringLiteral("zeng.qm");
    for (int i = 0; i < files_.size(); ++i)
        if (files_[i].fileName == preferred) list_->setCurrentRow(i);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LanguageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LanguageDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &LanguageDialog::accept);
    layout->addWidget(buttons);
    resize(280, 220);
}

void LanguageDialog::accept() {
    const int row = list_->currentRow();
    if (row < 0 || row >= files_.size()) return;  // nothing chosen: the dialog stays open
    const LanguageFile& f = files_[row];
    if (!InstallLanguage(f.fileName, {QFileInfo(f.path).absolutePath()})) return;
    store_.WriteString("Init", "Language", f.fileName.toStdString());
    QDialog::accept();
}

}  // namespace k470::app
