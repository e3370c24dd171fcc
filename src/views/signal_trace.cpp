// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/signal_trace.h"

#include <cmath>

#include "base/number_format.h"
#include "base/text_encoding.h"
#include "signal/processing_chain.h"

namespace k470::views {

SignalTrace::SignalTrace(size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {
    for (auto& r : ring_) r.assign(capacity_, 0.0);
}

std::vector<TraceMarker> TraceMarkers(const std::vector<ReplayMark>& choices) {
    std::vector<TraceMarker> markers;
    for (const ReplayMark& m : choices)
        if (!m.boundary) markers.push_back({m.frame, utf16ToUtf8(m.name)});
    return markers;
}

void SignalTrace::Reset(double sampleRate, uint64_t firstFrame, std::vector<TraceMarker> markers) {
    next_ = 0;
    count_ = 0;
    appended_ = 0;
    firstFrame_ = firstFrame;
    markers_ = std::move(markers);
    rate_ = sampleRate > 0 && std::isfinite(sampleRate) ? sampleRate : 1.0;
}

void SignalTrace::Append(const std::array<double, 3>& values) {
    for (size_t k = 0; k < 3; ++k) ring_[k][next_] = values[k];
    if (++next_ == capacity_) next_ = 0;
    if (count_ < capacity_) ++count_;
    ++appended_;
}

void SignalTrace::AppendNewest(const ProcessingChain& chain) {
    std::array<double, 3> v{};
    for (int k = 0; k < 3; ++k) {
        const auto ring = chain.outputRing(k);
        const int newest = chain.newestIndex(k);
        if (newest >= 0 && static_cast<size_t>(newest) < ring.size())
            v[static_cast<size_t>(k)] = ring[static_cast<size_t>(newest)];
    }
    Append(v);
}

double SignalTrace::startTime() const {
    return static_cast<double>(firstFrame_ + appended_ - count_) / rate_;
}

std::vector<double> SignalTrace::Values(int k) const {
    const std::vector<double>& r = ring_[static_cast<size_t>(k)];
    std::vector<double> out;
    out.reserve(count_);
    const size_t first = (next_ + capacity_ - count_) % capacity_;
    for (size_t i = 0; i < count_; ++i) out.push_back(r[(first + i) % capacity_]);
    return out;
}

double SignalTrace::Rms(int k) const {
    if (count_ == 0) return 0.0;
    const std::vector<double>& r = ring_[static_cast<size_t>(k)];
    const size_t first = (next_ + capacity_ - count_) % capacity_;
    double sum = 0.0;
    for (size_t i = 0; i < count_; ++i) {
        const double v = r[(first + i) % capacity_];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(count_));
}

std::string SignalTrace::Text(int k, const std::string& units) const {
    return TraceText(k, units, Values(k), startTime(), rate_);
}

std::string TraceText(int k, const std::string& units, const std::vector<double>& v, double t0, double rate) {
    std::string text = "T[sec]\tch" + std::to_string(k + 1) + "[" + units + "]\n";
    for (size_t i = 0; i < v.size(); ++i) {
        text += formatGeneral(t0 + static_cast<double>(i) / rate, 10);
        text += '\t';
        text += formatGeneral(v[i], 10);
        text += '\n';
    }
    return text;
}

std::string SecondsText(uint64_t frames, double sampleRate) {
    if (!(sampleRate > 0)) return "0";
    return formatGeneral(static_cast<double>(frames) / sampleRate, 4);
}

std::string RmsLevelText(double rms, double referenceValue) {
    if (!(rms > 0) || !std::isfinite(rms) || !(referenceValue > 0)) return {};
    return formatFixed(20.0 * std::log10(rms / referenceValue), 2);
}

}  // namespace k470::views
