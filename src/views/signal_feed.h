// SPDX-License-Identifier: GPL-3.0-or-later
// The processed signal of a signal source as the pages that analyse it take it: gathered behind the chain,
// sample by sample, at the chain's output rate (every decimation instant), and handed over in one piece at
// each tick. It serves the replay of a signal file and the live stream of the raw-signal instrument alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace k470 {
class ProcessingChain;
}

namespace k470::views {

class SignalFeed {
  public:
    // Values per frame: the three output channels of the chain, in channel order.
    static constexpr size_t kChannels = 3;
    // The most frames kept between two takes (ten seconds of the fastest stream); older ones are dropped,
    // so a feed nobody takes from stays small.
    static constexpr size_t kMaxFrames = 960000;

    // Called behind the chain after every sample (where the chain is guarded, under its lock). The chain
    // gives each value half an output ring late, so the outputs of the first samples after a Clear() are
    // what the ring held before; they are left out, and the first frame taken is the first sample's.
    void OnSample(const ProcessingChain& chain);
    // The frames gathered since the last take, kChannels values each, oldest first.
    std::vector<double> Take();
    // The signal starts again: what was gathered goes, and the chain's delay is left out again.
    void Clear() {
        pending_.clear();
        samples_ = 0;
    }

  private:
    std::vector<double> pending_;
    uint64_t samples_ = 0;  // samples that passed the chain since the last Clear()
};

}  // namespace k470::views
