// SPDX-License-Identifier: GPL-3.0-or-later
// "Parameters" ("Misc"): the shown record's date, time, comment, interval, serial number, range and
// calibration offsets, the "Linear" switch and "Enter P0"; "Notepad": the points noted from the plots and
// the difference of two of them; "Plot" (the spectrum limits) and "Enter bounds" (the multi-record level
// bounds), which stay open with the typed values and say what is wrong until the values are in order.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/level_pages.h"
#include "views/misc_views.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace k470::app {

class ParametersDialog : public QDialog {
    Q_OBJECT
  public:
    // The record is read again on every tick of a 300 ms timer, so the dialog follows the shown record.
    ParametersDialog(std::function<const MeasurementRecord*()> record, PageContext& context, QWidget* parent);
    void Update();
    // A connected instrument takes a new range (0..3) from the range buttons and a calibration offset for
    // a channel (0..2) from a click on its offset; without this the dialog only shows them.
    void AttachInstrument(std::function<void(int range)> selectRange,
                          std::function<void(int channel)> setOffset);
    // "Enter P0" answered with text; a text that is not a positive number keeps the reference.
    void EnterP0(const QString& text);
    QLabel* field(int i) const {
        return fields_[static_cast<size_t>(i)];
    }  // date, time, comment, interval, VIN
    QCheckBox* linear() const { return linear_; }
    QRadioButton* range(int i) const { return ranges_[static_cast<size_t>(i)]; }
    QPushButton* offset(int i) const { return offsets_[static_cast<size_t>(i)]; }
    QLabel* p0() const { return p0_; }
    std::function<std::optional<QString>()> askP0;

  private:
    std::function<const MeasurementRecord*()> record_;
    PageContext& context_;
    std::array<QLabel*, 5> fields_{};
    std::array<QRadioButton*, 4> ranges_{};
    std::array<QPushButton*, 3> offsets_{};
    std::function<void(int)> selectRange_;
    std::function<void(int)> setOffset_;
    QCheckBox* linear_;
    QLabel* p0_;
    QTimer* timer_;
};

class NotepadDialog : public QDialog {
    Q_OBJECT
  public:
    NotepadDialog(views::Notepad& notepad, QWidget* parent);
    QListWidget* list() const { return list_; }
    QLineEdit* difference() const { return difference_; }
    void Clear();

  private:
    void showDifference();
    views::Notepad& notepad_;
    QListWidget* list_;
    QLineEdit* difference_;
};

// "Plot": the five spectrum limits. OK closes the dialog only when they are in order.
class PlotLimitsDialog : public QDialog {
    Q_OBJECT
  public:
    PlotLimitsDialog(const views::PlotLimits& limits, QWidget* parent);
    views::PlotLimits limits() const;
    // 0 lower, 1 upper, 2..4 thresholds 1..3
    QSpinBox* box(int i) const { return boxes_[static_cast<size_t>(i)]; }
    // What is wrong with the typed values; empty while nothing is.
    QString problem() const;
    void accept() override;

  private:
    std::array<QSpinBox*, 5> boxes_{};
    QLabel* problem_;
};

// "Enter bounds": the lower and upper level bound. A text that is not a number keeps its bound; OK closes
// the dialog only when the lower bound is below the upper one.
class BoundsDialog : public QDialog {
    Q_OBJECT
  public:
    BoundsDialog(double lower, double upper, QWidget* parent);
    double lower() const;
    double upper() const;
    QLineEdit* lowerEdit() const { return lowerEdit_; }
    QLineEdit* upperEdit() const { return upperEdit_; }
    QString problem() const;
    void accept() override;

  private:
    double oldLower_;
    double oldUpper_;
    QLineEdit* lowerEdit_;
    QLineEdit* upperEdit_;
    QLabel* problem_;
};

}  // namespace k470::app
