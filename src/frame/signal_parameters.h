// SPDX-License-Identifier: GPL-3.0-or-later
// "Signal parameters" without widgets: the dialog's items and edits over a copy of the window's signal
// state, its presets and its replay speed; what the dialog's buttons do to them; and how a confirmed or
// cancelled dialog is taken back into the window's state, the processing chain and the channel set-up.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/measurement_record.h"
#include "data/sdt_container.h"
#include "signal/channel_setup.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/processor_preset.h"
#include "signal/reprocess.h"
#include "signal/signal_state.h"

namespace k470::app {

// The words of the dialog's items and messages; the GUI puts in the words of the chosen language.
struct SignalParametersWords {
    std::string none = "none";
    std::string hz = "Hz";
    std::string decimation = "decimation";
    std::string selectProcessorName = "Select processor name";
};

// The high-pass cut-off items: "none", then 0.125 Hz to 512 Hz in octaves; the item index is the high-pass
// step.
std::vector<std::string> CutOffItems(const SignalParametersWords& words);
constexpr int kCutOffItemCount = 14;

// The base decimations offered: 1 to 4 and the decimation of every library definition, ascending.
std::vector<int> BaseDecimations(const FilterLibrary& library);
// The decimation of an item text: a whole number, at least 1 (anything that is not a number gives 1).
int ParseDecimation(const std::string& text);

// A channel's filter item: its text and the library index it stands for (-1 for the base decimation's own
// filter, the first item).
struct FilterItem {
    std::string text;
    int libraryIndex = -1;
};
// "decimation R" first, then the library's definitions of decimation R in library order.
std::vector<FilterItem> FilterItems(const FilterLibrary& library, int decimation,
                                    const SignalParametersWords& words);

// The row divided by its length, so that its squares sum to 1; a zero row stays as it is.
std::array<double, 3> NormalisedRow(const std::array<double, 3>& row);

// The response of a library filter in dB at kResponsePoints frequencies evenly spread from 0 to half the
// decimated rate (sampleRate / decimation / 2). The filter runs at the input rate, so each point is
// evaluated at its own frequency relative to sampleRate. The values are kept within +-300 dB (a zero of the
// response shows at the floor).
constexpr int kResponsePoints = 10000;
constexpr double kResponseFloorDb = -300.0;
struct ResponseCurve {
    std::vector<double> decibels;
    double frequencyStep = 0.0;  // Hz between points
};
ResponseCurve FilterResponseCurve(const FilterDefinition& filter, double sampleRate, int decimation);

// What the per-channel edits show, as text ("%.6lg").
struct ChannelTexts {
    std::string calibrationOffset;  // dB
    std::array<std::string, 3> matrix;
    std::string sensitivity;  // the reciprocal of the stored sensitivity
    std::string units;
    std::string referenceValue;
};

// The linear factor of a calibration offset as the edit holds it, 10^(-0.05 * offset) written "%.6lg"; empty
// when the text is not a number.
std::string CalibrationFactorText(const std::string& offsetText);

// The instrument quantities the channel set-up reads, from the record shown (range, calibration offsets)
// and the signal file replayed (its header); either may be absent.
ChannelSetupSource ChannelSetupSourceOf(DeviceType type, const MeasurementRecord* record,
                                        const SdtContainer* replayed);

class SignalParameters {
  public:
    struct Setup {
        int replaySpeed = 1;      // 1, 10 or 100
        bool replayMode = false;  // a signal file is the current source
        // All three matrix columns are offered only when three input channels carry a signal.
        bool threeChannelInput = false;
    };

    // The dialog opened on a copy of the window's state: "processed signal" is chosen when a preset is
    // active, and the active preset is selected when it exists.
    SignalParameters(const SignalState& state, std::vector<ProcessorPreset> presets,
                     const FilterLibrary& library, Setup setup, SignalParametersWords words = {});

    // High-pass cut-off: the selection is the stored index, none in replay mode or when it is outside the
    // items.
    const std::vector<std::string>& cutOffItems() const { return cutOffItems_; }
    int cutOffSelection() const;
    void selectCutOff(int index);

    // Base decimation: selecting an item stores its number and refills the filter items.
    std::vector<std::string> decimationItems() const;
    int decimationSelection() const;
    void selectDecimation(const std::string& itemText);
    int decimation() const { return state_.decimation; }

    // The filter items (the same for every channel) and each channel's chosen item.
    const std::vector<FilterItem>& filterItems() const { return filterItems_; }
    int filterSelection(int channel) const;
    void selectFilter(int channel, int item);
    // The response of the filter chosen for a channel; none for the first item (the built-in filter).
    std::optional<ResponseCurve> Response(int channel) const;

    // The edits of a channel, changed by the user through the GUI.
    ChannelTexts& texts(int channel) { return texts_[static_cast<size_t>(channel)]; }
    const ChannelTexts& texts(int channel) const { return texts_[static_cast<size_t>(channel)]; }
    // "|1|": the row's coefficients as read from the edits, normalised and shown again.
    void NormaliseRow(int channel);

    int replaySpeed() const { return replaySpeed_; }
    void setReplaySpeed(int factor);

    // "original signal": decimation 1, cut-off 0.125 Hz, filter items refilled and every edit loaded from
    // the window's current quantities. "processed signal": the selected preset loaded.
    bool processed() const { return processed_; }
    void ChooseOriginal(const SignalState& windowNow);
    void ChooseProcessed();

    // Which controls take input.
    bool channelControlsEnabled() const { return processed_; }
    bool calibrationEditable() const { return processed_ && !setup_.replayMode; }
    bool matrixEditable(int row, int column) const;
    bool presetControlsEnabled() const { return processed_; }
    bool cutOffEnabled() const { return !setup_.replayMode; }
    bool replaySpeedEnabled() const { return setup_.replayMode; }
    bool processEnabled() const { return setup_.replayMode; }

    // Presets: the names in list order and the selected one (-1 for none).
    std::vector<std::string> presetNames() const;
    int presetSelection() const { return presetSelection_; }
    // Selects a preset; while "processed signal" is chosen its values are loaded into the controls.
    void selectPreset(int index);
    enum class AddResult { Added, Replaced, Declined, NoName };
    // Stores the current values under a name (cut to the 128 units a preset keeps) and selects it. An
    // existing name is replaced only when confirmOverwrite says yes.
    AddResult AddPreset(const std::string& name, const std::function<bool()>& confirmOverwrite);
    // Removes the selected preset; afterwards none is selected.
    void DeletePreset();
    const std::vector<ProcessorPreset>& presets() const { return presets_; }

    // "OK"/"Process": reads the edits (a sensitivity above 0 is stored as its reciprocal, other values
    // as read; a text that is not a number keeps the old value). With "processed signal" a named preset
    // must be selected, and it takes the current values. Returns the message to show when the dialog has
    // to stay open.
    std::optional<std::string> Confirm();
    // The state the dialog leaves: its values, the active preset and "CustomK".
    const SignalState& state() const { return state_; }

  private:
    void loadTexts(const SignalState& from);
    void readTexts();
    void refillFilters();
    void loadPreset(const ProcessorPreset& preset);
    ProcessorPreset currentAsPreset(std::u16string name);

    const FilterLibrary& library_;
    Setup setup_;
    SignalParametersWords words_;
    SignalState state_;
    std::vector<ProcessorPreset> presets_;
    std::vector<std::string> cutOffItems_;
    std::vector<FilterItem> filterItems_;
    std::array<ChannelTexts, 3> texts_;
    int replaySpeed_ = 1;
    bool processed_ = false;
    int presetSelection_ = -1;
};

// The window's part once the dialog closed. Both apply the active preset, size the chain's rings from the
// selected filters, run the channel set-up and hand the chain its new settings. The presets added and
// deleted in the dialog stay in either case.
// Confirmed: the dialog's values, presets and replay speed replace the window's.
void ApplySignalParameters(const SignalParameters& dialog, SignalState& state,
                           std::vector<ProcessorPreset>& presets, int& replaySpeed,
                           const FilterLibrary& library, ProcessingChain& chain,
                           const ChannelSetupSource& setup);
// Cancelled: "CustomK" goes back to what it was when the dialog opened; the values stay as they were.
void RestoreSignalParameters(const SignalParameters& dialog, bool presetActiveBefore, SignalState& state,
                             std::vector<ProcessorPreset>& presets, const FilterLibrary& library,
                             ProcessingChain& chain, const ChannelSetupSource& setup);

// The reprocessed signal file kept beside the opened one: its temporary file is removed when another
// takes its place or the holder goes.
class ProcessedFileHolder {
  public:
    ProcessedFileHolder() = default;
    ~ProcessedFileHolder() { reset(); }
    ProcessedFileHolder(const ProcessedFileHolder&) = delete;
    ProcessedFileHolder& operator=(const ProcessedFileHolder&) = delete;

    const ProcessedFile* get() const { return file_ ? &*file_ : nullptr; }
    void keep(ProcessedFile file);
    // Removes the kept file.
    void reset();

  private:
    std::optional<ProcessedFile> file_;
};

}  // namespace k470::app
