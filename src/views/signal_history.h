// SPDX-License-Identifier: GPL-3.0-or-later
// The last seconds of a flowing signal, kept for an analysis that needs a stretch of it at once (the
// reverberation time of the live stream): frames of SignalFeed::kChannels values in a ring that holds a
// fixed time and drops the oldest frames as new ones come.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace k470::views {

class SignalHistory {
  public:
    // Empties the ring, which from now on holds `seconds` of frames at sampleRate (nothing for a rate or
    // a time that is not positive).
    void Restart(double sampleRate, double seconds);
    // Frames of SignalFeed::kChannels values each, oldest first; a partial frame at the end is ignored.
    void Append(std::span<const double> frames);
    // One channel's samples (from 0), oldest first; empty for a channel out of range.
    std::vector<double> Channel(size_t channel) const;
    size_t frames() const { return count_; }
    size_t capacity() const { return capacity_; }
    double sampleRate() const { return sampleRate_; }
    double seconds() const { return sampleRate_ > 0 ? static_cast<double>(count_) / sampleRate_ : 0.0; }

  private:
    double sampleRate_ = 0.0;
    size_t capacity_ = 0;       // frames
    std::vector<double> ring_;  // grows up to capacity_ frames, then wraps
    size_t next_ = 0;           // the frame written next once the ring is full
    size_t count_ = 0;
};

}  // namespace k470::views
