// SPDX-License-Identifier: GPL-3.0-or-later
// "Signal parameters" on screen and the window's "Signal filtration" command, driven as the user would.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "app/dialogs/signal_parameters_dialog.h"
#include "app/sessions/signal_file_session.h"
#include "app/window/main_window.h"
#include "base/settings_store.h"
#include "frame/commands.h"
#include "plot/line_chart.h"
#include "signal/signal_file_image.h"
#include "support/temp_dir.h"

namespace k470::app {
namespace {

FilterDefinition filter(uint32_t decimation, std::u16string name, std::vector<double> b, uint32_t order = 0) {
    FilterDefinition f;
    f.decimation = decimation;
    f.order = order;
    f.name = std::move(name);
    f.numerator = std::move(b);
    return f;
}

// 0: a two-point average and 1: a gain of 0.5, both for decimation 1; 2: a filter for decimation 2.
std::vector<FilterDefinition> sampleFilters() {
    return {filter(1, u"average", {0.5, 0.5}), filter(1, u"half", {0.5}), filter(2, u"two", {1.0}, 2)};
}

ProcessorPreset preset(std::u16string name, uint32_t decimation, double sensitivity) {
    ProcessorPreset p;
    p.name = std::move(name);
    p.decimation = decimation;
    for (size_t k = 0; k < 3; ++k) {
        p.sensitivity[k] = sensitivity;
        p.referenceValue[k] = 2e-05;
        p.units[k] = u"Pa";
        p.matrix[k][k] = 1.0;
    }
    return p;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

class SignalParametersDialogTest : public ::testing::Test {
  protected:
    SignalParametersDialogTest() {
        library.filters = sampleFilters();
        for (SignalChannel& c : window.channels) c.sensitivity = 0.02;
    }
    std::unique_ptr<SignalParametersDialog> open(SignalParameters::Setup setup = {}) {
        auto d = std::make_unique<SignalParametersDialog>(
            SignalParameters(window, {preset(u"Road", 1, 0.5)}, library, setup), window, nullptr);
        d->showError = [this](const QString& m) { errors << m; };
        return d;
    }

    FilterLibrary library;
    SignalState window;
    QStringList errors;
};

TEST_F(SignalParametersDialogTest, ControlsFollowTheModeAndTheProcessingChoice) {
    auto d = open();
    EXPECT_EQ(d->cutOff()->count(), 14);
    EXPECT_EQ(d->cutOff()->itemText(1), "0.125 Hz");
    EXPECT_EQ(d->cutOff()->currentIndex(), 1);
    EXPECT_EQ(d->decimation()->itemText(0), "1");
    EXPECT_EQ(d->filter(2)->itemText(0), "decimation 1");
    EXPECT_EQ(d->sensitivityEdit(0)->text(), "50");
    EXPECT_EQ(d->offsetFactor(0)->text(), "1");
    EXPECT_TRUE(d->originalButton()->isChecked());
    // Outside replay: no replay speed and no "Process"; the original signal takes no channel values.
    EXPECT_FALSE(d->processButton()->isEnabled());
    EXPECT_FALSE(d->replaySpeedButton(1)->isEnabled());
    EXPECT_TRUE(d->cutOff()->isEnabled());
    EXPECT_FALSE(d->sensitivityEdit(0)->isEnabled());
    EXPECT_FALSE(d->presetCombo()->isEnabled());

    d->processedButton()->click();
    EXPECT_TRUE(d->sensitivityEdit(0)->isEnabled());
    EXPECT_TRUE(d->offsetEdit(1)->isEnabled());
    EXPECT_TRUE(d->matrixEdit(1, 0)->isEnabled());
    EXPECT_FALSE(d->matrixEdit(1, 1)->isEnabled());  // one input channel
    EXPECT_TRUE(d->presetCombo()->isEnabled());

    window.presetActive = true;
    window.presetName = "Road";
    auto r = open({100, true, true});
    EXPECT_TRUE(r->processedButton()->isChecked());
    EXPECT_EQ(r->presetCombo()->currentText(), "Road");
    EXPECT_TRUE(r->replaySpeedButton(2)->isChecked());
    EXPECT_TRUE(r->processButton()->isEnabled());
    EXPECT_FALSE(r->cutOff()->isEnabled());
    EXPECT_EQ(r->cutOff()->currentIndex(), -1);
    EXPECT_FALSE(r->offsetEdit(0)->isEnabled());
    EXPECT_TRUE(r->matrixEdit(0, 2)->isEnabled());
    r->replaySpeedButton(1)->click();
    EXPECT_EQ(r->model().replaySpeed(), 10);
}

TEST_F(SignalParametersDialogTest, EditsRowButtonsAndDecimationReachTheModel) {
    auto d = open({1, false, true});
    d->processedButton()->click();
    d->presetCombo()->setCurrentIndex(0);
    d->presetCombo()->activated(0);  // "Road" loaded
    EXPECT_EQ(d->sensitivityEdit(2)->text(), "2");
    typeInto(d->matrixEdit(0, 0), "3");
    typeInto(d->matrixEdit(0, 1), "4");
    typeInto(d->matrixEdit(0, 2), "0");
    d->normaliseButton(0)->click();
    EXPECT_EQ(d->matrixEdit(0, 0)->text(), "0.6");
    EXPECT_EQ(d->matrixEdit(0, 1)->text(), "0.8");
    EXPECT_EQ(d->matrixEdit(0, 2)->text(), "0");
    typeInto(d->offsetEdit(1), "20");
    EXPECT_EQ(d->offsetFactor(1)->text(), "0.1");

    ASSERT_EQ(d->filter(0)->count(), 3);  // decimation 1: its own filter and two library filters
    d->filter(0)->setCurrentIndex(2);
    d->filter(0)->activated(2);
    d->decimation()->setCurrentIndex(1);
    d->decimation()->activated(1);
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(d->filter(k)->count(), 2) << k;
        EXPECT_EQ(d->filter(k)->itemText(0), "decimation 2");
        EXPECT_EQ(d->filter(k)->itemText(1), "two");
        EXPECT_EQ(d->filter(k)->currentIndex(), 0);
    }
    d->okButton()->click();
    EXPECT_TRUE(d->confirmed());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    const SignalState& s = d->model().state();
    EXPECT_DOUBLE_EQ(s.channels[0].matrixRow[1], 0.8);
    EXPECT_DOUBLE_EQ(s.channels[1].calibrationOffset, 20.0);
    EXPECT_EQ(s.decimation, 2);
    EXPECT_EQ(s.channels[0].filterIndex, -1);
    EXPECT_EQ(d->model().presets()[0].decimation, 2u);  // the chosen preset took the values
}

TEST_F(SignalParametersDialogTest, ResponseOfTheChosenFilterReplacesTheOneShownBefore) {
    window.sampleRate = 1000.0;
    auto d = open();
    d->processedButton()->click();
    d->filter(0)->activated(1);     // average
    d->filter(1)->activated(2);     // half: -6.02 dB everywhere
    d->responseButton(2)->click();  // the built-in filter: nothing to show
    EXPECT_FALSE(d->responseShown());

    d->responseButton(0)->click();
    ASSERT_TRUE(d->responseShown());
    ASSERT_EQ(d->chart()->curves().size(), 1u);
    EXPECT_EQ(d->chart()->curves()[0].values.size(), 10000u);
    EXPECT_NEAR(d->chart()->curves()[0].values[0], 0.0, 1e-12);
    EXPECT_NEAR(d->chart()->xOf(9999), 500.0, 1e-9);
    d->backButton()->click();
    EXPECT_FALSE(d->responseShown());

    d->responseButton(1)->click();
    ASSERT_EQ(d->chart()->curves().size(), 1u);
    const double half = 20 * std::log10(0.5);
    EXPECT_NEAR(d->chart()->curves()[0].values[0], half, 1e-12);
    EXPECT_NEAR(d->chart()->curves()[0].values[9999], half, 1e-12);
}

TEST_F(SignalParametersDialogTest, PresetsAddDeleteAndTheConfirmStep) {
    auto d = open();
    int resets = 0;
    d->resetFilters = [&] { ++resets; };
    d->filterResetButton()->click();
    EXPECT_EQ(resets, 1);

    d->processedButton()->click();
    d->okButton()->click();
    EXPECT_EQ(errors, QStringList{"Select processor name"});
    EXPECT_FALSE(d->confirmed());
    EXPECT_NE(d->result(), QDialog::Accepted);

    int asked = 0;
    QString name = "Road";
    d->askPresetName = [&]() -> std::optional<QString> { return name; };
    d->askOverwrite = [&] { return ++asked, false; };
    typeInto(d->sensitivityEdit(0), "4");
    d->addButton()->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(d->model().presets()[0].sensitivity[0], 0.5);
    name = "New";
    d->addButton()->click();
    ASSERT_EQ(d->presetCombo()->count(), 2);
    EXPECT_EQ(d->presetCombo()->currentText(), "New");
    EXPECT_EQ(d->model().presets()[1].sensitivity[0], 0.25);
    d->presetCombo()->setCurrentIndex(0);
    d->presetCombo()->activated(0);
    d->deleteButton()->click();
    EXPECT_EQ(d->presetCombo()->count(), 1);
    EXPECT_EQ(d->presetCombo()->itemText(0), "New");
    EXPECT_EQ(d->presetCombo()->currentIndex(), -1);

    d->presetCombo()->activated(0);
    d->processButton()->setEnabled(true);  // as in replay mode
    d->processButton()->click();
    EXPECT_TRUE(d->confirmed());
    EXPECT_TRUE(d->processRequested());
    EXPECT_EQ(d->model().state().presetName, "New");
}

class SignalFiltrationCommandTest : public ::testing::Test {
  protected:
    SignalFiltrationCommandTest() : store(dir.file("k470.ini")) {
        std::filesystem::create_directory(dataDir);
        test::writeBytes(dataDir + "/filters.slb", encodeFilterLibrary(sampleFilters()));
        EXPECT_TRUE(savePresets(dataDir + "/cust_proc.dat", {preset(u"Road", 2, 0.5)}).ok());
    }
    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(frame);
        w->showError = [this](const QString& m) { errors << m; };
        return w;
    }

    test::TempDir dir;
    std::string dataDir = dir.file("data");
    SettingsStore store;
    std::unique_ptr<ApplicationState> framePtr = std::make_unique<ApplicationState>(store, dataDir);
    ApplicationState& frame = *framePtr;
    QStringList errors;
};

TEST_F(SignalFiltrationCommandTest, OkAppliesThePresetAndCancelRestoresThePresetSwitch) {
    auto w = makeWindow();
    ASSERT_TRUE(w->action(Command::SignalFiltration)->isEnabled());
    bool switchedOff = false;
    w->runDialog = [&](QDialog& dialog) {
        auto* d = qobject_cast<SignalParametersDialog*>(&dialog);
        EXPECT_NE(d, nullptr);
        switchedOff = !frame.signalState().presetActive;
        d->processedButton()->click();
        d->presetCombo()->activated(0);  // "Road": decimation 2
        d->filter(0)->activated(1);      // "two"
        typeInto(d->sensitivityEdit(1), "50");
        d->okButton()->click();
        return d->result();
    };
    w->Dispatch(Command::SignalFiltration);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    const SignalState& s = frame.signalState();
    EXPECT_TRUE(s.presetActive);
    EXPECT_EQ(s.presetName, "Road");
    EXPECT_EQ(s.decimation, 2);
    EXPECT_EQ(s.channels[0].filterIndex, 2);
    EXPECT_DOUBLE_EQ(s.channels[1].sensitivity, 0.02);
    EXPECT_EQ(frame.presets()[0].filterNames[0], u"two");
    EXPECT_EQ(frame.chain().decimation(), 2);
    EXPECT_EQ(frame.chain().alignmentDelay(), 2);

    // Cancelled after changes: preset processing was off while the dialog was open and is on again, with
    // the preset's values.
    w->runDialog = [&](QDialog& dialog) {
        auto* d = qobject_cast<SignalParametersDialog*>(&dialog);
        switchedOff = !frame.signalState().presetActive;
        d->originalButton()->click();
        // The original signal shows the channel set-up's values without a preset (no source: the defaults
        // of an unknown type).
        EXPECT_EQ(d->sensitivityEdit(0)->text(), "10");
        EXPECT_EQ(d->unitsEdit(0)->text(), "m/c^2");
        d->cancelButton()->click();
        return d->result();
    };
    w->Dispatch(Command::SignalFiltration);
    EXPECT_TRUE(switchedOff);
    EXPECT_TRUE(s.presetActive);
    EXPECT_EQ(s.decimation, 2);
    EXPECT_DOUBLE_EQ(s.channels[1].sensitivity, 0.02);

    // "Filter reset" clears the chain's histories while the dialog is open.
    for (int i = 0; i < 5; ++i) frame.chain().ProcessSample({1.0, 0.0, 0.0}, ChainMode::RingsOnly);
    auto anyValue = [&] {
        bool any = false;
        for (double v : frame.chain().outputRing(0)) any = any || v != 0.0;
        return any;
    };
    ASSERT_TRUE(anyValue());
    bool clearedByReset = false;
    w->runDialog = [&](QDialog& dialog) {
        auto* d = qobject_cast<SignalParametersDialog*>(&dialog);
        const bool before = anyValue();
        d->filterResetButton()->click();
        clearedByReset = before && !anyValue();
        return int(QDialog::Rejected);
    };
    w->Dispatch(Command::SignalFiltration);
    EXPECT_TRUE(clearedByReset);
}

TEST_F(SignalFiltrationCommandTest, ProcessMakesATemporaryFileAndOffersACopy) {
    test::SignalFileImage image(1000.0, 0b001);
    std::vector<double> values(600);
    for (size_t i = 0; i < values.size(); ++i) values[i] = std::sin(0.01 * static_cast<double>(i));
    image.addRecord(values, 600);
    image.addRecord(values, 300);
    const std::string sdt = image.save(dir, "sig.sdt");
    auto w = makeWindow();
    w->OpenPath(QString::fromStdString(sdt));
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    w->runDialog = [&](QDialog& dialog) {
        auto* d = qobject_cast<SignalParametersDialog*>(&dialog);
        EXPECT_TRUE(d->processButton()->isEnabled());
        d->decimation()->activated(1);  // 2
        d->processButton()->click();
        return d->result();
    };
    QString saveAs = QString::fromStdString(dir.file("kept.sdt"));
    QString filterSeen;
    w->askSavePath = [&](const QString&, const QString&, const QString& filter) {
        filterSeen = filter;
        return saveAs;
    };
    w->Dispatch(Command::SignalFiltration);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    ASSERT_NE(w->sessionAs<SignalFileSession>()->processedFile(), nullptr);
    const std::string first = w->sessionAs<SignalFileSession>()->processedFile()->path;
    EXPECT_EQ(w->sessionAs<SignalFileSession>()->processedFile()->records, 2u);
    EXPECT_EQ(w->sessionAs<SignalFileSession>()->processedFile()->sampleRate, 500.0);
    EXPECT_EQ(filterSeen, "Data files (*.sdt)");
    auto processed = SdtContainer::Open(first);
    ASSERT_TRUE(processed.ok());
    EXPECT_EQ(processed->header().sampleRate, 500.0);
    EXPECT_EQ(test::readBytes(dir.file("kept.sdt")), test::readBytes(first));

    // The next "Process" replaces the kept file; a cancelled save keeps only the temporary one.
    saveAs.clear();
    std::filesystem::remove(dir.file("kept.sdt"));
    w->Dispatch(Command::SignalFiltration);
    ASSERT_NE(w->sessionAs<SignalFileSession>()->processedFile(), nullptr);
    const std::string second = w->sessionAs<SignalFileSession>()->processedFile()->path;
    EXPECT_NE(second, first);
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_FALSE(std::filesystem::exists(dir.file("kept.sdt")));

    // Saving over the file being replayed is refused; the source stays as it was.
    const auto source = test::readBytes(sdt);
    saveAs = QString::fromStdString(sdt);
    w->Dispatch(Command::SignalFiltration);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(test::readBytes(sdt), source);

    const std::string last = w->sessionAs<SignalFileSession>()->processedFile()->path;
    w.reset();
    EXPECT_FALSE(std::filesystem::exists(last));
}

}  // namespace
}  // namespace k470::app
