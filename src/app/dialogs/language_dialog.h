// SPDX-License-Identifier: GPL-3.0-or-later
// "Select language": the language files found in the data directories, each under its own name.
#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <memory>

#include "app/window/language.h"

class QListWidget;

namespace k470 {
class SettingsStore;
}

namespace k470::app {

// "Select language": the list of language files; OK with a chosen entry installs it and stores its name.
class LanguageDialog : public QDialog {
    Q_OBJECT
  public:
    LanguageDialog(SettingsStore& store, QStringList directories, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    const QList<LanguageFile>& files() const { return files_; }
    void accept() override;

  private:
    SettingsStore& store_;
    QStringList directories_;
    QList<LanguageFile> files_;
    QListWidget* list_ = nullptr;
};

}  // namespace k470::app
