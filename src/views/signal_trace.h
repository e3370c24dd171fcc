// SPDX-License-Identifier: GPL-3.0-or-later
// The signal as the "Signal" page shows it: the latest processed values of the three channels, kept for a
// fixed number of samples, with their rms value and their text for the clipboard. Its times count from
// the start of the record, so a replay that starts at a marker shows the marker's time, and the record's
// markers are kept beside it for the chart.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "signal/replay_controller.h"

namespace k470 {
class ProcessingChain;
}

namespace k470::views {

// A named place of the record, at a frame counted from the record's start.
struct TraceMarker {
    uint64_t frame = 0;
    std::string name;
    bool operator==(const TraceMarker&) const = default;
};
// The markers among the choices of a replay range (the record boundaries are left out).
std::vector<TraceMarker> TraceMarkers(const std::vector<ReplayMark>& choices);

class SignalTrace {
  public:
    static constexpr size_t kDefaultCapacity = 48000;

    explicit SignalTrace(size_t capacity = kDefaultCapacity);

    // Empties the trace; the rate (samples per second) labels the time axis, the first value to come is
    // frame firstFrame of the record, and the record has these markers.
    void Reset(double sampleRate, uint64_t firstFrame = 0, std::vector<TraceMarker> markers = {});
    void Append(const std::array<double, 3>& values);
    // The newest value of each channel's output ring of the chain.
    void AppendNewest(const ProcessingChain& chain);

    size_t size() const { return count_; }
    size_t capacity() const { return capacity_; }
    double sampleRate() const { return rate_; }
    // Values appended since the reset; the oldest value held is number appended() - size().
    uint64_t appended() const { return appended_; }
    // The time of the oldest value held, in seconds since the record's start.
    double startTime() const;
    uint64_t firstFrame() const { return firstFrame_; }
    const std::vector<TraceMarker>& markers() const { return markers_; }
    // The time of a frame of the record, in seconds.
    double timeOf(uint64_t frame) const { return static_cast<double>(frame) / rate_; }

    // Channel k's values, oldest first.
    std::vector<double> Values(int k) const;
    // The root mean square of channel k's values; 0 when the trace is empty.
    double Rms(int k) const;
    // "T[sec]\tch<k+1>[units]" and one line per value: the time and the value, both "%.10lg".
    std::string Text(int k, const std::string& units) const;

  private:
    size_t capacity_;
    std::array<std::vector<double>, 3> ring_;
    size_t next_ = 0;
    size_t count_ = 0;
    uint64_t appended_ = 0;
    uint64_t firstFrame_ = 0;
    double rate_ = 1.0;
    std::vector<TraceMarker> markers_;
};

// The text of Text for values of channel k, the first at startTime seconds, rate values per second.
std::string TraceText(int k, const std::string& units, const std::vector<double>& values, double startTime,
                      double rate);

// "%.4lg" seconds of a frame position at the rate; "0" when the rate is not positive.
std::string SecondsText(uint64_t frames, double sampleRate);
// The level of an rms value against the channel's 0 dB reference, "%.2lf" dB; empty when either is not
// positive.
std::string RmsLevelText(double rms, double referenceValue);

}  // namespace k470::views
