// SPDX-License-Identifier: GPL-3.0-or-later
// The 1/1- and 1/3-octave filter bank (IEC 61260-1, class 1) with base-10 exact midband frequencies
// fm = 1000 * G^(x/b), G = 10^(3/10), band edges fm * G^(-1/2b) and fm * G^(1/2b).
//
// Each band is a sixth-order Butterworth band-pass (three sections) whose -3 dB points are the band edges.
// To keep the filters well conditioned and the cost near that of the top octave, the input is halved in
// rate again and again behind a linear-phase low-pass (stop band below -80 dB); each band runs at the
// lowest of these rates at which its upper edge stays below a quarter of the rate.
//
// Use:
//     auto bank = OctaveFilterBank::Create(48000.0, OctaveFilterBank::soundLevelBands());
//     bank->process(block, [&](size_t band, std::span<const double> filtered) { ... });
// process() calls the sink once per band and block with the band's newly filtered samples at the band's own
// rate (band(i).sampleRate); the samples of one band arrive in order, block after block, so a consumer can
// keep per-band state (levels, decay envelopes). Bands above half the sampling rate are left out (see
// missingBands()). The state carries over between calls; memory does not grow with the signal.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/acoustics_words.h"
#include "acoustics/biquad.h"
#include "acoustics/biquad_lanes.h"
#include "acoustics/block_fir.h"
#include "base/result.h"

namespace k470::acoustics {

enum class BandSet { Octave, Third };

// A band index x of one set: fm = 1000 * G^(x/b) with b = 1 or 3.
struct BandId {
    BandSet set = BandSet::Third;
    int index = 0;

    double bandsPerOctave() const { return set == BandSet::Octave ? 1.0 : 3.0; }
    double midband() const;  // exact midband frequency, Hz
    double lowerEdge() const;
    double upperEdge() const;
    // The nominal label as the band header of the level text export writes it ("25.0", "0.63k", "1k",
    // "12.5k", "31.5"), or the midband rounded to three digits outside the sound-level range.
    std::string label() const;
};

struct BandInfo {
    BandId id;
    double sampleRate = 0.0;  // the rate of the band's filtered samples
    int stage = 0;            // number of rate halvings before the band filter
};

// The bands that k470's sound-level records hold: 1/3-octave 25 Hz..20 kHz (x = -16..13) and octave
// 31.5 Hz..16 kHz (x = -5..4).
struct BandRequest {
    bool thirds = true;
    int firstThird = -16, lastThird = 13;
    bool octaves = true;
    int firstOctave = -5, lastOctave = 4;
};

using BandSink = std::function<void(size_t band, std::span<const double> filtered)>;

class OctaveFilterBank {
  public:
    // Butterworth prototype order of each band; bands close to half the rate get a higher one.
    static constexpr int kOrder = 3;

    // Fails when the rate is outside the range (8..192 kHz unless given) or not a number.
    static Result<OctaveFilterBank> Create(double sampleRate, const BandRequest& request = {},
                                           const SampleRateRange& rates = {});
    static BandRequest soundLevelBands() { return {}; }

    double sampleRate() const { return sampleRate_; }
    size_t bandCount() const { return bands_.size(); }
    const BandInfo& band(size_t i) const { return bands_[i]; }
    // Bands that were asked for but lie above half the sampling rate.
    const std::vector<BandId>& missingBands() const { return missing_; }
    // The index of a band, or -1 when it is not in the bank.
    int indexOf(BandId id) const;
    // Second-order sections of band i's filter.
    size_t sectionCount(size_t i) const { return filters_[i].sections().size(); }

    void process(std::span<const double> samples, const BandSink& sink);
    void reset();

  private:
    struct Stage {
        double rate = 0.0;
        BlockFir down;                    // from the previous stage's rate to this one
        std::vector<double> input;        // this stage's samples of the current block
        std::vector<size_t> bandsHere;    // indices into bands_
        std::vector<BiquadLanes> groups;  // the filters of bandsHere, four at a time
    };

    OctaveFilterBank() = default;
    void addBand(BandId id);

    double sampleRate_ = 0.0;
    std::vector<BandInfo> bands_;
    std::vector<BiquadCascade> filters_;
    std::vector<BandId> missing_;
    std::vector<Stage> stages_;
    std::vector<double> lanesOut_;
};

// The low-pass taps used in front of each halving of the rate (odd count, symmetric).
std::span<const double> decimatorTaps();

}  // namespace k470::acoustics
