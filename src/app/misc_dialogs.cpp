// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/misc_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A line under the fields that says what keeps the dialog open, and the OK and Cancel buttons.
QLabel* addProblemAndButtons(QDialog& dialog, QFormLayout& form) {
    auto* problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setStyleSheet(QStringLiteral("color: #c00000;"));
    problem->setWordWrap(true);
    problem->hide();
    form.addRow(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form.addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return problem;
}

void showProblem(QLabel& label, const QString& text) {
    label.setText(text);
    label.setVisible(!text.isEmpty());
    label.window()->adjustSize();  // room for the wrapped lines
}
}  // namespace

ParametersDialog::ParametersDialog(std::function<const MeasurementRecord*()> record, PageContext& context,
                                   QWidget* parent)
    : QDialog(parent), record_(std::move(record)), context_(context) {
    setWindowTitle(tr("Parameters"));
    auto* form = new QFormLayout(this);
    const QString names[] = {tr("Date:"), tr("Time:"), tr("Comment:"), tr("Interval:"), tr("VIN:")};
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLabel(this);
        form->addRow(names[i], fields_[i]);
    }
    auto* ranges = new QHBoxLayout;
    for (size_t i = 0; i < ranges_.size(); ++i) {
        ranges_[i] = new QRadioButton(tr("range %1").arg(i + 1), this);
        // A file's range is shown, not changed: only a connected instrument takes a new range.
        ranges_[i]->setEnabled(false);
        connect(ranges_[i], &QRadioButton::clicked, this, [this, i] {
            if (selectRange_) selectRange_(static_cast<int>(i));
        });
        ranges->addWidget(ranges_[i]);
    }
    form->addRow(tr("Range:"), ranges);
    for (size_t i = 0; i < offsets_.size(); ++i) {
        offsets_[i] = new QPushButton(this);
        offsets_[i]->setFlat(true);
        offsets_[i]->setEnabled(false);
        offsets_[i]->setStyleSheet(QStringLiteral("text-align: left"));
        connect(offsets_[i], &QPushButton::clicked, this, [this, i] {
            if (setOffset_) setOffset_(static_cast<int>(i));
        });
        form->addRow(tr("Calibration offset:") + QStringLiteral(" %1").arg(i + 1), offsets_[i]);
    }
    linear_ = new QCheckBox(tr("Linear"), this);
    linear_->setChecked(context_.linear);
    connect(linear_, &QCheckBox::toggled, this, [this](bool on) { context_.linear = on; });
    form->addRow(linear_);
    auto* p0Row = new QHBoxLayout;
    p0_ = new QLabel(this);
    auto* enter = new QPushButton(tr("Enter P0"), this);
    p0Row->addWidget(p0_, 1);
    p0Row->addWidget(enter);
    form->addRow(tr("P0:"), p0Row);
    askP0 = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString t = QInputDialog::getText(this, tr("Enter P0"), tr("P0:"), QLineEdit::Normal,
                                                qs(formatGeneral(context_.p0, 6)), &ok);
        return ok ? std::optional<QString>(t) : std::nullopt;
    };
    connect(enter, &QPushButton::clicked, this, [this] {
        if (auto t = askP0()) EnterP0(*t);
    });
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    form->addRow(exit);
    timer_ = new QTimer(this);
    timer_->setInterval(300);
    connect(timer_, &QTimer::timeout, this, &ParametersDialog::Update);
    timer_->start();
    Update();
}

void ParametersDialog::Update() {
    p0_->setText(qs(formatGeneral(context_.p0, 6)));
    const MeasurementRecord* r = record_ ? record_() : nullptr;
    if (!r) return;
    const views::RecordParameterTexts t = views::ParameterTexts(*r);
    const std::string* texts[] = {&t.date, &t.time, &t.comment, &t.interval, &t.vin};
    for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(qs(*texts[i]));
    ranges_[static_cast<size_t>(t.range)]->setChecked(true);
    for (size_t i = 0; i < offsets_.size(); ++i) offsets_[i]->setText(qs(t.calibrationOffsets[i]));
}

void ParametersDialog::AttachInstrument(std::function<void(int range)> selectRange,
                                        std::function<void(int channel)> setOffset) {
    selectRange_ = std::move(selectRange);
    setOffset_ = std::move(setOffset);
    for (QRadioButton* r : ranges_) r->setEnabled(bool(selectRange_));
    for (QPushButton* b : offsets_) {
        b->setEnabled(bool(setOffset_));
        b->setToolTip(setOffset_ ? tr("Enter calibration offset") : QString());
    }
}

void ParametersDialog::EnterP0(const QString& text) {
    context_.p0 = views::ParseZeroDbReference(text.toStdString(), context_.p0);
    Update();
}

NotepadDialog::NotepadDialog(views::Notepad& notepad, QWidget* parent) : QDialog(parent), notepad_(notepad) {
    setWindowTitle(tr("Notepad"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(tr("Points noted from the plots (choose two):"), this));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (size_t i = 0; i < notepad_.points().size(); ++i) list_->addItem(qs(notepad_.PointText(i)));
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Difference"), this));
    difference_ = new QLineEdit(this);
    difference_->setReadOnly(true);
    row->addWidget(difference_, 1);
    column->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(tr("Clear"), this);
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(clear, &QPushButton::clicked, this, &NotepadDialog::Clear);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    column->addLayout(buttons);
    connect(list_, &QListWidget::itemSelectionChanged, this, &NotepadDialog::showDifference);
}

void NotepadDialog::showDifference() {
    std::vector<size_t> chosen;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected()) chosen.push_back(static_cast<size_t>(i));
    difference_->setText(chosen.size() == 2 ? qs(notepad_.DifferenceText(chosen[0], chosen[1])) : QString());
}

void NotepadDialog::Clear() {
    notepad_.Clear();
    list_->clear();
    difference_->clear();
}

PlotLimitsDialog::PlotLimitsDialog(const views::PlotLimits& l, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Plot"));
    auto* form = new QFormLayout(this);
    const int values[] = {l.lower, l.upper, l.threshold1, l.threshold2, l.threshold3};
    const QString names[] = {tr("Lower limit [dB]"), tr("Upper limit [dB]"), tr("Threshold 1[dB]"),
                             tr("Threshold 2[dB]"), tr("Threshold 3[dB]")};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QSpinBox(this);
        boxes_[i]->setRange(-1000, 1000);
        boxes_[i]->setValue(values[i]);
        form->addRow(names[i], boxes_[i]);
        connect(boxes_[i], &QSpinBox::valueChanged, this, [this] {
            if (problem_->isVisible()) showProblem(*problem_, problem());
        });
    }
    problem_ = addProblemAndButtons(*this, *form);
}

views::PlotLimits PlotLimitsDialog::limits() const {
    return {boxes_[0]->value(), boxes_[1]->value(), boxes_[2]->value(), boxes_[3]->value(),
            boxes_[4]->value()};
}

QString PlotLimitsDialog::problem() const {
    const views::PlotLimits l = limits();
    QString why;
    if (l.lower >= l.threshold1)
        why = tr("the lower limit must be below threshold 1");
    else if (l.threshold1 >= l.threshold2)
        why = tr("threshold 1 must be below threshold 2");
    else if (l.threshold2 >= l.upper)
        why = tr("threshold 2 must be below the upper limit");
    else if (l.lower >= l.threshold3)
        why = tr("threshold 3 must be above the lower limit");
    if (why.isEmpty()) return {};
    return qs(lexicon().text(Word::ErrorInParameters)) + QStringLiteral(": ") + why;
}

void PlotLimitsDialog::accept() {
    const QString why = problem();
    showProblem(*problem_, why);
    if (why.isEmpty()) QDialog::accept();
}

BoundsDialog::BoundsDialog(double lower, double upper, QWidget* parent)
    : QDialog(parent), oldLower_(lower), oldUpper_(upper) {
    setWindowTitle(tr("Enter bounds"));
    auto* form = new QFormLayout(this);
    lowerEdit_ = new QLineEdit(qs(views::BoundText(lower)), this);
    upperEdit_ = new QLineEdit(qs(views::BoundText(upper)), this);
    form->addRow(tr("Lower limit"), lowerEdit_);
    form->addRow(tr("Upper limit"), upperEdit_);
    problem_ = addProblemAndButtons(*this, *form);
}

double BoundsDialog::lower() const {
    return views::ParseBound(lowerEdit_->text().toStdString(), oldLower_);
}

double BoundsDialog::upper() const {
    return views::ParseBound(upperEdit_->text().toStdString(), oldUpper_);
}

QString BoundsDialog::problem() const {
    if (lower() < upper()) return {};
    return tr("The lower limit (%1) must be below the upper limit (%2).")
        .arg(qs(views::BoundText(lower())), qs(views::BoundText(upper())));
}

void BoundsDialog::accept() {
    const QString why = problem();
    showProblem(*problem_, why);
    if (why.isEmpty()) QDialog::accept();
}

}  // namespace k470::app
