// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/reverberation_table.h"

#include <cmath>
#include <limits>

#include "acoustics/acoustics_words.h"
#include "acoustics/signal_input.h"
#include "base/number_format.h"

namespace k470::acoustics {

namespace {

std::string cell(const std::optional<double>& value, int precision) {
    return value ? formatFixed(*value, precision) : std::string();
}

std::optional<double> seconds(const std::optional<DecayFit>& fit) {
    return fit ? std::optional<double>(fit->seconds) : std::nullopt;
}

std::optional<double> correlation(const std::optional<DecayFit>& fit) {
    return fit ? std::optional<double>(fit->correlation) : std::nullopt;
}

// A CSV field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::vector<double> fitLine(const std::optional<DecayFit>& fit, double step, size_t count) {
    std::vector<double> line(count, std::numeric_limits<double>::quiet_NaN());
    if (!fit || step <= 0) return line;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) * step;
        // Half a step of slack, so that a fitted part ending between two steps keeps its last point.
        if (t >= fit->fromSeconds - step / 2 && t <= fit->toSeconds + step / 2)
            line[i] = fit->interceptDb + fit->slopeDbPerSecond * t;
    }
    return line;
}

}  // namespace

std::vector<ReverberationRow> ReverberationRows(const ReverberationResult& result) {
    std::vector<ReverberationRow> rows;
    for (const BandDecay& b : result.bands) {
        const DecayResult& d = b.decay;
        rows.push_back({b.label, cell(seconds(d.edt), 3), cell(seconds(d.t20), 3), cell(seconds(d.t30), 3),
                        cell(correlation(d.t20), 4), cell(correlation(d.t30), 4), cell(d.floorDb, 2),
                        bandNote(b)});
    }
    return rows;
}

std::string ReverberationCsv(const ReverberationResult& result) {
    std::string out = "band_hz,edt_s,t20_s,t30_s,r_t20,r_t30,floor_db,note\n";
    for (const ReverberationRow& r : ReverberationRows(result))
        out += r.band + ',' + r.edt + ',' + r.t20 + ',' + r.t30 + ',' + r.rT20 + ',' + r.rT30 + ',' +
               r.floor + ',' + csvField(r.note) + '\n';
    return out;
}

DecayPlot DecayPlotOf(const DecayResult& decay) {
    DecayPlot p;
    p.stepSeconds = decay.curveStepSeconds;
    p.curve = decay.curveDb;
    p.t20Line = fitLine(decay.t20, p.stepSeconds, p.curve.size());
    p.t30Line = fitLine(decay.t30, p.stepSeconds, p.curve.size());
    if (decay.floorDb) p.floor.assign(p.curve.size(), *decay.floorDb);
    return p;
}

Status checkDecayLength(uint64_t samples, double sampleRate) {
    if (samples <= kMaxDecaySamples) return {};
    return fail(message(Word::DecayRangeTooLong,
                        {formatGeneral(static_cast<double>(kMaxDecaySamples) / sampleRate, 4),
                         formatGeneral(static_cast<double>(samples) / sampleRate, 4)}));
}

Result<ReverberationResult> AnalyzeRecordedStretch(const RecordedStretch& stretch, ReverberationBands bands,
                                                   const ReverberationProgress& progress) {
    constexpr double kReadingShare = 0.1;
    SignalInputOptions options;
    options.channel = stretch.channel;
    options.record = stretch.record;
    options.start = stretch.startSeconds;
    options.length = stretch.lengthSeconds;
    auto input = SignalInput::Open(stretch.path, options);
    if (!input) return input.error();
    const uint64_t total = input->description().frames;
    if (Status s = checkDecayLength(total, input->description().sampleRate); !s) return s.error();
    std::vector<double> samples;
    samples.reserve(total);
    std::vector<double> block(65536);
    while (true) {
        auto n = input->read(block);
        if (!n) return n.error();
        if (*n == 0) break;
        samples.insert(samples.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(*n));
        if (progress && total > 0 &&
            !progress(kReadingShare * static_cast<double>(samples.size()) / static_cast<double>(total)))
            return fail(message(Word::Cancelled));
    }
    return AnalyzeReverberation(samples, input->description().sampleRate, bands, [&](double f) {
        return !progress || progress(kReadingShare + (1.0 - kReadingShare) * f);
    });
}

}  // namespace k470::acoustics
