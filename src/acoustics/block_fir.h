// SPDX-License-Identifier: GPL-3.0-or-later
// A FIR filter applied block by block, keeping every output or every second one (a halving of the rate).
//
// Each block is appended to a copy of the last taps-1 inputs, so every output is a dot product over
// contiguous samples and four outputs at a time run in the lanes of a vector. A halving filter splits its
// input into the even and the odd samples first and runs the even and the odd taps over them, so it only
// computes the outputs it keeps. State carries over between blocks; memory does not grow with the signal.
//
//     BlockFir down(taps, BlockFir::Keep::EverySecond);
//     down.process(block, halved);   // appends the new outputs
#pragma once

#include <span>
#include <vector>

namespace k470::acoustics {

class BlockFir {
  public:
    enum class Keep { Every, EverySecond };

    BlockFir() = default;
    // y[t] = sum over j of taps[j] * x[t - taps.size() + 1 + j] (taps[0] meets the oldest input).
    explicit BlockFir(std::span<const double> taps, Keep keep = Keep::Every);

    // Appends the outputs of `in` to `out`. With EverySecond the outputs of the inputs at even positions
    // since the start (or the last reset) are kept, the first input's included.
    void process(std::span<const double> in, std::vector<double>& out);
    void reset();

  private:
    std::vector<double> taps_;
    std::vector<double> evenTaps_, oddTaps_;  // taps[0], taps[2], ... and taps[1], taps[3], ...
    Keep keep_ = Keep::Every;
    bool oddNext_ = false;                    // the next input sits at an odd position
    std::vector<double> line_;                // the last taps-1 inputs, then the block
    std::vector<double> evenLine_, oddLine_;  // the samples of line_ met by the even and the odd taps
};

}  // namespace k470::acoustics
