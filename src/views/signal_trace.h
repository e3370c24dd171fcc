// The signal as the "Signal" page shows it: the latest processed values of the three channels, kept for a
// fixed number of samples, with their rms value and their text for the clipboard.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace k470 {
class ProcessingChain;
}

namespace k470::views {

class SignalTrace {
  public:
    static constexpr size_t kDefaultCapacity = 48000;

    explicit SignalTrace(size_t capacity = kDefaultCapacity);

    // Empties the trace; the rate (samples per second) labels the time axis.
    void Reset(double sampleRate);
    void Append(const std::array<double, 3>& values);
    // The newest value of each channel's output ring of the chain.
    void AppendNewest(const ProcessingChain& chain);

    size_t size() const { return count_; }
    size_t capacity() const { return capacity_; }
    double sampleRate() const { return rate_; }
    // Values appended since the reset; the oldest value held is number appended() - size().
    uint64_t appended() const { return appended_; }
    // The time of the oldest value held, in seconds since the reset.
    double startTime() const;

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
    double rate_ = 1.0;
};

// "%.4lg" seconds of a frame position at the rate; "0" when the rate is not positive.
std::string SecondsText(uint64_t frames, double sampleRate);
// The level of an rms value against the channel's 0 dB reference, "%.2lf" dB; empty when either is not
// positive.
std::string RmsLevelText(double rms, double referenceValue);

}  // namespace k470::views
