// SPDX-License-Identifier: GPL-3.0-or-later
// What a reverberation analysis shows: the table of EDT, T20 and T30 per band (as text cells and as the
// CSV of `k470-cli rt60`), the decay curve of one band with its fitted lines and noise floor, and the
// analysis of a stretch of a recorded signal read from its file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acoustics/reverberation.h"
#include "base/result.h"

namespace k470::acoustics {

// One band's row as text: times in seconds with three decimals, correlations with four, the floor in dB
// with two; an empty cell where the value is missing (the note says why).
struct ReverberationRow {
    std::string band, edt, t20, t30, rT20, rT30, floor, note;
};
std::vector<ReverberationRow> ReverberationRows(const ReverberationResult& result);

// "band_hz,edt_s,t20_s,t30_s,r_t20,r_t30,floor_db,note" and one line per band.
std::string ReverberationCsv(const ReverberationResult& result);

// A band's decay curve for drawing: every curveStepSeconds from the decay start, the curve in dB (0 at the
// start) and, on the same time steps, the T20 and T30 lines over their fitted parts (NaN elsewhere) and
// the noise floor (empty when the signal ends in digital silence).
struct DecayPlot {
    double stepSeconds = 0.0;
    std::vector<double> curve, t20Line, t30Line, floor;
};
DecayPlot DecayPlotOf(const DecayResult& decay);

// A stretch of one channel of a recorded signal.
struct RecordedStretch {
    std::string path;
    int channel = 1;  // from 1
    int record = 1;   // from 1
    double startSeconds = 0.0;
    std::optional<double> lengthSeconds;  // to the end of the record when not given
};
// The most samples of a stretch: 120 s at 48 kHz. A decay lasts seconds; the analysis holds the stretch and
// its band signals in memory, about 30 bytes a sample, so a longer stretch is refused rather than let the
// memory run out.
constexpr uint64_t kMaxDecaySamples = 120 * 48000;
// Fails for more than kMaxDecaySamples samples, telling the most seconds at this rate.
Status checkDecayLength(uint64_t samples, double sampleRate);

// Reads the stretch (the first tenth of the progress) and analyses its reverberation. Fails as the reading
// (a missing file, record or channel, a damaged sample) or the analysis does, and for a stretch of more than
// kMaxDecaySamples samples.
Result<ReverberationResult> AnalyzeRecordedStretch(const RecordedStretch& stretch, ReverberationBands bands,
                                                   const ReverberationProgress& progress = {});

}  // namespace k470::acoustics
