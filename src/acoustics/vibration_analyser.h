// SPDX-License-Identifier: GPL-3.0-or-later
// Human vibration of up to three axes of an acceleration signal, interval by interval: each channel runs
// through the frequency weightings of its kind (whole-body or hand-arm) and the octave and 1/3-octave bands
// of the vibration meters' records, each with a VibrationMeter, and the readings of every interval are
// handed over when it is complete (a last, shorter interval when finish() is called).
//
//     auto a = VibrationAnalyser::Create(VibrationKind::WholeBody, context, {1, 2, 3}, 1.0);
//     a->process({x, y, z}, onInterval);  ...  a->finish(onInterval);
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "acoustics/analog_weighting.h"
#include "acoustics/biquad_lanes.h"
#include "acoustics/interval_splitter.h"
#include "acoustics/measurement_context.h"
#include "acoustics/octave_filter_bank.h"
#include "acoustics/vibration_meter.h"
#include "acoustics/vibration_weighting.h"
#include "base/result.h"
#include "data/device_type.h"

namespace k470::acoustics {

enum class VibrationKind { WholeBody, HandArm };

// What a kind of vibration measurement takes and gives (the vibration meters' band sets and weightings).
struct VibrationKindInfo {
    const char* name;      // "whole-body", "hand-arm"
    const char* analysis;  // in messages: "whole-body vibration"
    SampleRateRange rates;
    std::vector<VibrationWeighting> weightings;  // in the order of the records' weighted rows
    BandRequest bands;                           // 8 octaves and 24 1/3-octaves
    DeviceType threeChannelType, oneChannelType;
    // The weighting for health of the axes x, y, z (channels 1, 2, 3) and their factors in the combined
    // value: ISO 2631-1 (seated, Wd Wd Wk, 1.4 1.4 1) and ISO 5349-1 (Wh, 1 1 1, the vibration total value).
    std::array<VibrationWeighting, 3> health;
    std::array<double, 3> axisFactor;
};

const VibrationKindInfo& vibrationKindInfo(VibrationKind kind);
// "whole-body" or "hand-arm".
std::optional<VibrationKind> vibrationKindNamed(std::string_view name);

struct ChannelVibration {
    int channel = 1;                         // from 1: the axis x, y or z
    std::vector<VibrationReading> weighted;  // in the kind's weighting order
    std::vector<VibrationReading> bands;     // in the order of bandIds()
};

struct VibrationInterval {
    double startSeconds = 0.0;  // from the start of the analysed signal
    double durationSeconds = 0.0;
    std::vector<ChannelVibration> channels;
};

using VibrationIntervalFn = std::function<Status(const VibrationInterval&)>;

class VibrationAnalyser {
  public:
    // intervalSeconds 0: one interval for the whole signal. Fails for a rate outside the kind's range.
    static Result<VibrationAnalyser> Create(VibrationKind kind, const MeasurementContext& context,
                                            std::vector<int> channels, double intervalSeconds);
    VibrationAnalyser(VibrationAnalyser&&) noexcept;
    VibrationAnalyser& operator=(VibrationAnalyser&&) noexcept;
    ~VibrationAnalyser();

    VibrationKind kind() const { return kind_; }
    const std::vector<BandId>& bandIds() const { return bandIds_; }
    const std::vector<int>& channels() const { return channels_; }

    // One block per channel (in the order of channels()), all of the same length.
    Status process(std::span<const std::span<const double>> blocks, const VibrationIntervalFn& onInterval);
    Status finish(const VibrationIntervalFn& onInterval);
    VibrationInterval current() const;

    struct Chain;  // one channel's filters and meters

  private:
    VibrationAnalyser() = default;
    Status closeInterval(const VibrationIntervalFn& onInterval);

    VibrationKind kind_ = VibrationKind::WholeBody;
    std::vector<int> channels_;
    std::vector<BandId> bandIds_;
    std::vector<Chain> chains_;
    IntervalSplitter intervals_;
};

}  // namespace k470::acoustics
