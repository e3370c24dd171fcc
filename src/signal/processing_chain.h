// SPDX-License-Identifier: GPL-3.0-or-later
// The per-sample signal path shared by the live stream, the replay and the reprocessing of signal files:
// channel matrix, per-channel gain, optional library filter with delay alignment, output rings, and
// decimation with a low-pass filter.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "signal/filter_library.h"
#include "signal/signal_state.h"

namespace k470 {

// Output ring length at start: the longest built-in decimation low-pass (401 taps) plus one.
constexpr int kInitialOutputRingLength = 402;

// The value of a decimation low-pass at the newest value q of ring o: the filter is centred so that the
// result has the same delay, half a ring, as the unfiltered value. Without coefficients (empty h and `none`)
// it is the value half a ring old; with n = 0 coefficients given it is 0.
double LowPassAt(std::span<const double> o, int q, std::span<const double> h);
double LowPassAt(std::span<const double> o, int q);

// Whether a sample's decimated outputs are only kept in the output rings (the live view and the replay) or
// also appended to output() for a file being written (reprocessing).
enum class ChainMode { RingsOnly, File };

class ProcessingChain {
  public:
    ProcessingChain();

    // Sizes the rings from the filters selected for the three channels (null = none): alignment delay D and
    // history length L from the delays and numerator lengths, the output ring grown (never shrunk) to hold
    // the longest decimation low-pass, the recursive state of each channel to its denominator length. Places
    // added by a resize are 0.
    void sizeRings(const std::array<const FilterDefinition*, 3>& filters);

    // Takes the per-channel settings for the next samples: matrix rows, sensitivities, filters, the
    // decimation factor, the enabled flags and each channel's decimation low-pass (its filter's first array,
    // else the built-in filter for decimation 2, 3 or 4, else none).
    void setChannels(const SignalState& state, const FilterLibrary& library);

    // One input vector through the chain. In file mode each decimation instant appends the low-pass output of
    // every enabled channel to output().
    void ProcessSample(const std::array<double, 3>& in, ChainMode mode);

    // Clears the histories, the recursive states and the output rings (positions and the decimation counter
    // stay).
    void resetHistories();

    std::vector<double>& output() { return output_; }
    int historyLength() const { return historyLength_; }
    int alignmentDelay() const { return delay_; }
    int outputRingLength() const { return ringLength_; }
    int decimation() const { return decimation_; }
    int decimationCounter() const { return counter_; }
    void setDecimationCounter(int c) { counter_ = c; }
    bool enabled(int k) const { return channels_[k].enabled; }
    // The output ring of channel k (N values) and the index of its newest value, for the views.
    std::span<const double> outputRing(int k) const;
    int newestIndex(int k) const { return channels_[k].newest; }
    // The decimation low-pass output of channel k at its newest value: what file mode appends at an instant.
    double decimatedOutput(int k) const { return lowPassOutput(channels_[k]); }

  private:
    struct Channel {
        std::array<double, 3> matrixRow{};
        double sensitivity = 1.0;
        bool enabled = false;
        bool hasFilter = false;
        int filterDelay = 0;
        std::vector<double> numerator;
        std::vector<double> denominator;
        bool hasLowPass = false;
        std::vector<double> lowPass;
        std::vector<double> lowPassReversed;  // h[n-1] .. h[0], for a forward dot product
        std::vector<double> history;          // L values
        std::vector<double> recursive;        // the filter's last outputs, newest first
        std::vector<double> ring;             // 2N values: each output stored at q and q + N
        int position = 0;                     // q: next place in the output ring
        int newest = 0;
    };

    double filterStage(Channel& ch, double v) const;
    double lowPassOutput(const Channel& ch) const;

    std::array<Channel, 3> channels_;
    int historyLength_ = 0;                      // L
    int delay_ = 0;                              // D
    int historyPos_ = 0;                         // p
    int ringLength_ = kInitialOutputRingLength;  // N
    int decimation_ = 1;                         // R
    int counter_ = 0;                            // c
    std::vector<double> output_;
};

}  // namespace k470
