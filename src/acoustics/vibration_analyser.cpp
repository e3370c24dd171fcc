// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vibration_analyser.h"

#include <algorithm>
#include <cmath>

namespace k470::acoustics {

namespace {

using W = VibrationWeighting;

// The highest rate taken: the weightings are matched and checked up to it.
constexpr double kMaxVibrationRate = 48000.0;

// Band index x of fm = 1000 * 10^(3x/10) (1/1) or 1000 * 10^(x/10) (1/3): whole-body 1/3-octaves 0.8-160 Hz
// and octaves 1-125 Hz; hand-arm 1/3-octaves 6.3-1250 Hz and octaves 8-1000 Hz.
constexpr BandRequest kWholeBodyBands{true, -31, -8, true, -10, -3};
constexpr BandRequest kHandArmBands{true, -22, 1, true, -7, 0};

// Device types of the vibration meters' records (the device type table): three-channel and one-channel.
constexpr DeviceType kWholeBodyThree = 1, kWholeBodyOne = 4;
constexpr DeviceType kHandArmThree = 2, kHandArmOne = 5;

const VibrationKindInfo kWholeBody{"whole-body",
                                   "whole-body vibration",
                                   {1000.0, kMaxVibrationRate, "whole-body vibration"},
                                   {W::Fk, W::Fm, W::Wb, W::Wc, W::Wd, W::We, W::Wj, W::Wk, W::Wm},
                                   kWholeBodyBands,
                                   kWholeBodyThree,
                                   kWholeBodyOne,
                                   {W::Wd, W::Wd, W::Wk},
                                   {1.4, 1.4, 1.0}};
const VibrationKindInfo kHandArm{
    "hand-arm",     "hand-arm vibration",  {5000.0, kMaxVibrationRate, "hand-arm vibration"},
    {W::Fh, W::Wh}, kHandArmBands,         kHandArmThree,
    kHandArmOne,    {W::Wh, W::Wh, W::Wh}, {1.0, 1.0, 1.0}};

}  // namespace

const VibrationKindInfo& vibrationKindInfo(VibrationKind kind) {
    return kind == VibrationKind::WholeBody ? kWholeBody : kHandArm;
}

std::optional<VibrationKind> vibrationKindNamed(std::string_view name) {
    if (name == kWholeBody.name) return VibrationKind::WholeBody;
    if (name == kHandArm.name) return VibrationKind::HandArm;
    return std::nullopt;
}

// The weightings' sections run four at a time in the lanes of a vector; the corrections follow.
struct VibrationAnalyser::Chain {
    std::vector<AnalogWeightingFilter> weightings;
    std::vector<BiquadLanes> groups;
    OctaveFilterBank bank;
    std::vector<VibrationMeter> weightedMeters, bandMeters;
    std::vector<int> bankIndex;  // per band row
    std::vector<double> lanesOut, corrected;

    void feed(std::span<const double> x) {
        for (size_t g = 0; g < groups.size(); ++g) {
            groups[g].process(x, lanesOut);
            for (size_t l = 0; l < groups[g].lanes(); ++l) {
                const size_t w = g * BiquadLanes::kLanes + l;
                const std::span<const double> y = BiquadLanes::lane(lanesOut, l);
                if (weightings[w].corrected()) {
                    corrected.clear();
                    weightings[w].correct(y, corrected);
                    weightedMeters[w].process(corrected);
                } else {
                    weightedMeters[w].process(y);
                }
            }
        }
        bank.process(x, [this](size_t band, std::span<const double> y) { bandMeters[band].process(y); });
    }

    ChannelVibration reading(int channel) const {
        ChannelVibration c;
        c.channel = channel;
        for (const VibrationMeter& m : weightedMeters) c.weighted.push_back(m.reading());
        for (int i : bankIndex) c.bands.push_back(bandMeters[static_cast<size_t>(i)].reading());
        return c;
    }

    void startInterval() {
        for (VibrationMeter& m : weightedMeters) m.startInterval();
        for (VibrationMeter& m : bandMeters) m.startInterval();
    }
};

VibrationAnalyser::VibrationAnalyser(VibrationAnalyser&&) noexcept = default;
VibrationAnalyser& VibrationAnalyser::operator=(VibrationAnalyser&&) noexcept = default;
VibrationAnalyser::~VibrationAnalyser() = default;

Result<VibrationAnalyser> VibrationAnalyser::Create(VibrationKind kind, const MeasurementContext& context,
                                                    std::vector<int> channels, double intervalSeconds) {
    const VibrationKindInfo& info = vibrationKindInfo(kind);
    const double rate = context.sampleRate;
    if (Status ok = checkSampleRate(rate, info.rates); !ok) return ok.error();
    VibrationAnalyser a;
    a.kind_ = kind;
    a.channels_ = std::move(channels);
    a.intervals_ = IntervalSplitter(rate, intervalSeconds);
    for (int x = info.bands.firstThird; x <= info.bands.lastThird; ++x)
        a.bandIds_.push_back({BandSet::Third, x});
    for (int x = info.bands.firstOctave; x <= info.bands.lastOctave; ++x)
        a.bandIds_.push_back({BandSet::Octave, x});
    for (size_t c = 0; c < a.channels_.size(); ++c) {
        auto bank = OctaveFilterBank::Create(rate, info.bands, info.rates);
        if (!bank) return bank.error();
        Chain chain{{}, {}, std::move(*bank), {}, {}, {}, {}, {}};
        std::vector<BiquadCascade> iirs;
        for (VibrationWeighting w : info.weightings) {
            chain.weightings.push_back(AnalogWeightingFilter::Design(vibrationWeightingShape(w), rate));
            iirs.push_back(chain.weightings.back().sections());
            chain.weightedMeters.emplace_back(rate);
        }
        for (size_t at = 0; at < iirs.size(); at += BiquadLanes::kLanes)
            chain.groups.emplace_back(std::span<const BiquadCascade>(iirs).subspan(
                at, std::min(BiquadLanes::kLanes, iirs.size() - at)));
        for (size_t i = 0; i < chain.bank.bandCount(); ++i)
            chain.bandMeters.emplace_back(chain.bank.band(i).sampleRate, false);
        for (BandId id : a.bandIds_) chain.bankIndex.push_back(chain.bank.indexOf(id));
        a.chains_.push_back(std::move(chain));
    }
    return a;
}

Status VibrationAnalyser::process(std::span<const std::span<const double>> blocks,
                                  const VibrationIntervalFn& onInterval) {
    return intervals_.run(
        blocks.empty() ? 0 : blocks.front().size(),
        [&](size_t from, size_t n) {
            for (size_t c = 0; c < chains_.size(); ++c) chains_[c].feed(blocks[c].subspan(from, n));
        },
        [&] { return closeInterval(onInterval); });
}

Status VibrationAnalyser::finish(const VibrationIntervalFn& onInterval) {
    return intervals_.finish([&] { return closeInterval(onInterval); });
}

VibrationInterval VibrationAnalyser::current() const {
    VibrationInterval v;
    v.startSeconds = intervals_.startSeconds();
    v.durationSeconds = intervals_.durationSeconds();
    for (size_t c = 0; c < chains_.size(); ++c) v.channels.push_back(chains_[c].reading(channels_[c]));
    return v;
}

Status VibrationAnalyser::closeInterval(const VibrationIntervalFn& onInterval) {
    const VibrationInterval v = current();
    for (Chain& c : chains_) c.startInterval();
    return onInterval(v);
}

}  // namespace k470::acoustics
