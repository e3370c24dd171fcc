// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/signal_feed.h"

#include <utility>

#include "signal/signal_recorder.h"

namespace k470::views {

void SignalFeed::OnSample(const ProcessingChain& chain) {
    if (samples_ < static_cast<uint64_t>(chain.outputRingLength() / 2)) {
        ++samples_;
        return;
    }
    takeDecimatedFrame(chain, 0x7, pending_);
    if (pending_.size() > 2 * kMaxFrames * kChannels)
        pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(kMaxFrames * kChannels));
}

std::vector<double> SignalFeed::Take() {
    return std::exchange(pending_, {});
}

}  // namespace k470::views
