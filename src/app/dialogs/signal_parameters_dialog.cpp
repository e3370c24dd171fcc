// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/signal_parameters_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>

#include "app/qt_text.h"
#include "base/text_encoding.h"
#include "plot/line_chart.h"
#include "plot/plot_window.h"

namespace k470::app {

namespace {

constexpr int kSpeeds[3] = {1, 10, 100};

}  // namespace

SignalParametersWords SignalParametersDialog::Words() {
    SignalParametersWords w;
    w.none = tr("none").toStdString();
    w.hz = tr("Hz").toStdString();
    w.decimation = tr("decimation").toStdString();
    w.selectProcessorName = tr("Select processor name").toStdString();
    return w;
}

SignalParametersDialog::SignalParametersDialog(SignalParameters model, const SignalState& original,
                                               QWidget* parent)
    : QDialog(parent), model_(std::move(model)), originalQuantities_(original) {
    setWindowTitle(tr("Signal parameters"));
    auto* outer = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    outer->addWidget(pages_);

    // Page 0: the controls.
    auto* controls = new QWidget(pages_);
    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    buildChannels(grid);
    column->addLayout(grid);

    column->addLayout(buildCommonRow(controls));
    column->addLayout(buildActions(controls));
    pages_->addWidget(controls);

    buildResponsePage();

    askPresetName = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString name = QInputDialog::getText(
            this, tr("Enter processor name"), tr("Enter processor name"), QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(name) : std::nullopt;
    };
    askOverwrite = [this] {
        return QMessageBox::question(this, QStringLiteral("470 Util"),
                                     tr("The name isn't unique.\nOverwrite?"),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    showError = [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); };

    showValues();
    showPresets();
    updateEnabled();

    connectControls();
}

SignalParametersDialog::~SignalParametersDialog() = default;

QHBoxLayout* SignalParametersDialog::buildCommonRow(QWidget* controls) {
    auto* common = new QHBoxLayout;
    auto* hp = new QVBoxLayout;
    hp->addWidget(new QLabel(tr("HP filter"), controls));
    cutOff_ = new QComboBox(controls);
    for (const std::string& item : model_.cutOffItems()) cutOff_->addItem(qs(item));
    hp->addWidget(cutOff_);
    common->addLayout(hp);
    auto* dec = new QVBoxLayout;
    dec->addWidget(new QLabel(tr("Base decimation"), controls));
    decimation_ = new QComboBox(controls);
    for (const std::string& item : model_.decimationItems()) decimation_->addItem(qs(item));
    dec->addWidget(decimation_);
    common->addLayout(dec);

    auto* speedBox = new QGroupBox(tr("Replay speed"), controls);
    auto* speedRow = new QHBoxLayout(speedBox);
    auto* speedGroup = new QButtonGroup(this);
    const QString speedTexts[3] = {tr("1x"), tr("10x"), tr("100x")};
    for (size_t i = 0; i < speeds_.size(); ++i) {
        speeds_[i] = new QRadioButton(speedTexts[i], speedBox);
        speedGroup->addButton(speeds_[i]);
        speedRow->addWidget(speeds_[i]);
        connect(speeds_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) model_.setReplaySpeed(kSpeeds[i]);
        });
    }
    common->addWidget(speedBox);

    auto* processingBox = new QGroupBox(controls);
    auto* processingRow = new QVBoxLayout(processingBox);
    original_ = new QRadioButton(tr("original signal"), processingBox);
    processed_ = new QRadioButton(tr("processed signal"), processingBox);
    auto* processingGroup = new QButtonGroup(this);
    processingGroup->addButton(original_);
    processingGroup->addButton(processed_);
    processingRow->addWidget(original_);
    processingRow->addWidget(processed_);
    common->addWidget(processingBox);

    auto* presetColumn = new QVBoxLayout;
    presets_ = new QComboBox(controls);
    presets_->setMinimumContentsLength(16);
    presetColumn->addWidget(presets_);
    auto* presetButtons = new QHBoxLayout;
    add_ = new QPushButton(tr("Add"), controls);
    delete_ = new QPushButton(tr("Delete"), controls);
    presetButtons->addWidget(add_);
    presetButtons->addWidget(delete_);
    presetColumn->addLayout(presetButtons);
    common->addLayout(presetColumn);
    common->addStretch(1);
    return common;
}

QHBoxLayout* SignalParametersDialog::buildActions(QWidget* controls) {
    auto* actions = new QHBoxLayout;
    filterReset_ = new QPushButton(tr("Filter reset"), controls);
    processButton_ = new QPushButton(tr("Process"), controls);
    ok_ = new QPushButton(tr("OK"), controls);
    cancel_ = new QPushButton(tr("Cancel"), controls);
    ok_->setDefault(true);
    actions->addWidget(filterReset_);
    actions->addStretch(1);
    actions->addWidget(processButton_);
    actions->addWidget(ok_);
    actions->addWidget(cancel_);
    return actions;
}

void SignalParametersDialog::buildResponsePage() {
    // Page 1: a filter's response in place of the controls.
    auto* responsePage = new QWidget(pages_);
    auto* responseColumn = new QVBoxLayout(responsePage);
    responseColumn->setContentsMargins(0, 0, 0, 0);
    plot_ = new plot::PlotWindow(responsePage);
    plot_->setMinimumSize(500, 300);
    chart_ = &plot_->Add<plot::LineChart>(QRect(0, 0, 500, 300), 6, 0u);
    plot_->Fill(*chart_);
    chart_->SetTitles(tr("F,Hz:"), tr("dB"));
    responseColumn->addWidget(plot_, 1);
    back_ = new QPushButton(tr("Back"), responsePage);
    auto* backRow = new QHBoxLayout;
    backRow->addStretch(1);
    backRow->addWidget(back_);
    responseColumn->addLayout(backRow);
    pages_->addWidget(responsePage);
}

void SignalParametersDialog::connectControls() {
    connect(cutOff_, &QComboBox::activated, this, [this](int i) { model_.selectCutOff(i); });
    connect(decimation_, &QComboBox::activated, this, [this](int i) {
        model_.selectDecimation(decimation_->itemText(i).toStdString());
        showFilters();
    });
    connect(original_, &QRadioButton::clicked, this, [this] {
        model_.ChooseOriginal(originalQuantities_);
        showValues();
        updateEnabled();
    });
    connect(processed_, &QRadioButton::clicked, this, [this] {
        model_.ChooseProcessed();
        showValues();
        updateEnabled();
    });
    connect(presets_, &QComboBox::activated, this, [this](int i) {
        model_.selectPreset(i);
        showValues();
        updateEnabled();
    });
    connect(add_, &QPushButton::clicked, this, &SignalParametersDialog::onAdd);
    connect(delete_, &QPushButton::clicked, this, [this] {
        model_.DeletePreset();
        showPresets();
    });
    connect(filterReset_, &QPushButton::clicked, this, [this] {
        if (resetFilters) resetFilters();
    });
    connect(processButton_, &QPushButton::clicked, this, [this] { confirm(true); });
    connect(ok_, &QPushButton::clicked, this, [this] { confirm(false); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(back_, &QPushButton::clicked, this, [this] { pages_->setCurrentIndex(0); });
}

void SignalParametersDialog::buildChannels(QGridLayout* grid) {
    QWidget* parent = this;
    // Headers over the columns: offset | matrix (3) | |1| | -> | sensitivity | units | filter | base level.
    grid->addWidget(new QLabel(tr("Calibration offset, dB"), parent), 0, 0);
    grid->addWidget(new QLabel(tr("Sensitivity"), parent), 0, 6);
    grid->addWidget(new QLabel(tr("Units"), parent), 0, 7);
    grid->addWidget(new QLabel(tr("Filtration"), parent), 0, 8);
    grid->addWidget(new QLabel(tr("Base level"), parent), 0, 9);
    for (int k = 0; k < 3; ++k) {
        const auto ku = static_cast<size_t>(k);
        const int row = 1 + 2 * k;
        offsets_[ku] = new QLineEdit(parent);
        factors_[ku] = new QLineEdit(parent);
        factors_[ku]->setReadOnly(true);
        offsets_[ku]->setMaximumWidth(110);
        factors_[ku]->setMaximumWidth(110);
        factors_[ku]->setFocusPolicy(Qt::NoFocus);
        factors_[ku]->setToolTip(tr("Linear calibration factor"));
        grid->addWidget(offsets_[ku], row, 0);
        grid->addWidget(factors_[ku], row + 1, 0);
        connect(offsets_[ku], &QLineEdit::textEdited, this, [this, k, ku](const QString& t) {
            model_.texts(k).calibrationOffset = t.toStdString();
            factors_[ku]->setText(qs(CalibrationFactorText(model_.texts(k).calibrationOffset)));
        });
        for (int j = 0; j < 3; ++j) {
            auto* e = new QLineEdit(parent);
            e->setMaximumWidth(80);
            matrix_[ku][static_cast<size_t>(j)] = e;
            grid->addWidget(e, row, 1 + j);
            connect(e, &QLineEdit::textEdited, this, [this, k, j](const QString& t) {
                model_.texts(k).matrix[static_cast<size_t>(j)] = t.toStdString();
            });
        }
        normalise_[ku] = new QPushButton(QStringLiteral("|1|"), parent);
        normalise_[ku]->setMaximumWidth(40);
        normalise_[ku]->setToolTip(tr("Normalise the row to unit length"));
        grid->addWidget(normalise_[ku], row, 4);
        connect(normalise_[ku], &QPushButton::clicked, this, [this, k] {
            model_.NormaliseRow(k);
            showValues();
        });
        response_[ku] = new QPushButton(QStringLiteral("->"), parent);
        response_[ku]->setFlat(true);
        response_[ku]->setMaximumWidth(40);
        response_[ku]->setToolTip(tr("Show the response of the channel's filter"));
        grid->addWidget(response_[ku], row, 5);
        connect(response_[ku], &QPushButton::clicked, this, [this, k] { showResponse(k); });
        sensitivities_[ku] = new QLineEdit(parent);
        grid->addWidget(sensitivities_[ku], row, 6);
        connect(sensitivities_[ku], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { model_.texts(k).sensitivity = t.toStdString(); });
        units_[ku] = new QLineEdit(parent);
        units_[ku]->setMaximumWidth(90);
        grid->addWidget(units_[ku], row, 7);
        connect(units_[ku], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { model_.texts(k).units = t.toStdString(); });
        filters_[ku] = new QComboBox(parent);
        filters_[ku]->setMinimumContentsLength(14);
        grid->addWidget(filters_[ku], row, 8);
        connect(filters_[ku], &QComboBox::activated, this, [this, k](int i) { model_.selectFilter(k, i); });
        baseLevels_[ku] = new QLineEdit(parent);
        grid->addWidget(baseLevels_[ku], row, 9);
        connect(baseLevels_[ku], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { model_.texts(k).referenceValue = t.toStdString(); });
    }
}

void SignalParametersDialog::showValues() {
    for (int k = 0; k < 3; ++k) {
        const auto ku = static_cast<size_t>(k);
        const ChannelTexts& t = model_.texts(k);
        offsets_[ku]->setText(qs(t.calibrationOffset));
        factors_[ku]->setText(qs(CalibrationFactorText(t.calibrationOffset)));
        for (size_t j = 0; j < 3; ++j) matrix_[ku][j]->setText(qs(t.matrix[j]));
        sensitivities_[ku]->setText(qs(t.sensitivity));
        units_[ku]->setText(qs(t.units));
        baseLevels_[ku]->setText(qs(t.referenceValue));
    }
    {
        const QSignalBlocker block(cutOff_);
        cutOff_->setCurrentIndex(model_.cutOffSelection());
    }
    {
        const QSignalBlocker block(decimation_);
        decimation_->setCurrentIndex(model_.decimationSelection());
    }
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker block(speeds_[static_cast<size_t>(i)]);
        speeds_[static_cast<size_t>(i)]->setChecked(model_.replaySpeed() == kSpeeds[i]);
    }
    (model_.processed() ? processed_ : original_)->setChecked(true);
    showFilters();
}

void SignalParametersDialog::showFilters() {
    for (int k = 0; k < 3; ++k) {
        QComboBox* c = filters_[static_cast<size_t>(k)];
        const QSignalBlocker block(c);
        c->clear();
        for (const FilterItem& item : model_.filterItems()) c->addItem(qs(item.text));
        c->setCurrentIndex(model_.filterSelection(k));
    }
}

void SignalParametersDialog::showPresets() {
    const QSignalBlocker block(presets_);
    presets_->clear();
    for (const std::string& name : model_.presetNames()) presets_->addItem(qs(name));
    presets_->setCurrentIndex(model_.presetSelection());
}

void SignalParametersDialog::updateEnabled() {
    for (int k = 0; k < 3; ++k) {
        const auto ku = static_cast<size_t>(k);
        const bool on = model_.channelControlsEnabled();
        offsets_[ku]->setEnabled(model_.calibrationEditable());
        for (int j = 0; j < 3; ++j)
            matrix_[ku][static_cast<size_t>(j)]->setEnabled(model_.matrixEditable(k, j));
        normalise_[ku]->setEnabled(on);
        sensitivities_[ku]->setEnabled(on);
        units_[ku]->setEnabled(on);
        filters_[ku]->setEnabled(on);
        baseLevels_[ku]->setEnabled(on);
    }
    cutOff_->setEnabled(model_.cutOffEnabled());
    for (QRadioButton* r : speeds_) r->setEnabled(model_.replaySpeedEnabled());
    presets_->setEnabled(model_.presetControlsEnabled());
    add_->setEnabled(model_.presetControlsEnabled());
    delete_->setEnabled(model_.presetControlsEnabled());
    processButton_->setEnabled(model_.processEnabled());
}

void SignalParametersDialog::onAdd() {
    const auto name = askPresetName ? askPresetName() : std::nullopt;
    if (!name) return;
    model_.AddPreset(name->toStdString(), [this] { return askOverwrite && askOverwrite(); });
    showPresets();
}

void SignalParametersDialog::confirm(bool process) {
    if (auto message = model_.Confirm()) {
        if (showError) showError(qs(*message));
        return;
    }
    confirmed_ = true;
    process_ = process;
    accept();
}

bool SignalParametersDialog::responseShown() const {
    return pages_->currentIndex() == 1;
}

void SignalParametersDialog::showResponse(int channel) {
    const auto curve = model_.Response(channel);
    if (!curve) return;  // the base decimation's own filter
    double lo = curve->decibels.front();
    double hi = lo;
    for (double v : curve->decibels) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    // The new response replaces the one shown before.
    chart_->SetCurves({plot::Curve{curve->decibels, QColor(0x20, 0x40, 0xC0), tr("dB")}});
    // Steps of 10 dB with room above the top; the deepest 160 dB below it are shown.
    const double top = std::ceil((hi + 1.0) / 10.0) * 10.0;
    chart_->SetYRange(std::max(std::floor(lo / 10.0) * 10.0, top - 160.0), top);
    chart_->Render(0, static_cast<int64_t>(curve->decibels.size()) - 1, 0.0, curve->frequencyStep);
    pages_->setCurrentIndex(1);
    plot_->scheduleRedraw();
}

}  // namespace k470::app
