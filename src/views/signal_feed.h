// SPDX-License-Identifier: GPL-3.0-or-later
// The processed signal of a signal source as the pages that analyse it take it: gathered behind the chain,
// sample by sample, at the chain's output rate (every decimation instant), and handed over in one piece at
// each tick. It serves the replay of a signal file and the live stream of the raw-signal instrument alike.
#pragma once

#include <cstddef>
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

    // Called behind the chain after every sample (where the chain is guarded, under its lock).
    void OnSample(const ProcessingChain& chain);
    // The frames gathered since the last take, kChannels values each, oldest first.
    std::vector<double> Take();
    void Clear() { pending_.clear(); }

  private:
    std::vector<double> pending_;
};

}  // namespace k470::views
