// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/reverberation.h"

#include <algorithm>
#include <array>
#include <optional>

#include "acoustics/acoustics_words.h"
#include "acoustics/octave_filter_bank.h"
#include "acoustics/signal_checks.h"
#include "data/family_bands.h"

namespace k470::acoustics {

namespace {

// Band indices x of fm = 1000 G^(x/b): octaves 63 Hz (x = -4) to 8 kHz (x = 3), thirds 50 Hz (x = -13)
// to 10 kHz (x = 10).
constexpr int kFirstOctave = -4, kLastOctave = 3;
constexpr int kFirstThird = -13, kLastThird = 10;

constexpr size_t kBlock = 8192;

BandRequest requestFor(ReverberationBands bands) {
    BandRequest r;
    r.thirds = bands == ReverberationBands::Third;
    r.octaves = bands == ReverberationBands::Octave;
    r.firstThird = kFirstThird, r.lastThird = kLastThird;
    r.firstOctave = kFirstOctave, r.lastOctave = kLastOctave;
    return r;
}

std::vector<BandId> wantedBands(ReverberationBands bands) {
    std::vector<BandId> ids;
    const bool octave = bands == ReverberationBands::Octave;
    for (int x = octave ? kFirstOctave : kFirstThird; x <= (octave ? kLastOctave : kLastThird); ++x)
        ids.push_back({octave ? BandSet::Octave : BandSet::Third, x});
    return ids;
}

}  // namespace

Result<ReverberationResult> AnalyzeReverberation(std::span<const double> signal, double sampleRate,
                                                 ReverberationBands bands,
                                                 const ReverberationProgress& progress) {
    if (Status s = checkSampleRate(sampleRate); !s) return s.error();
    if (Status s = checkSamples(signal); !s) return s.error();
    auto bank = OctaveFilterBank::Create(sampleRate, requestFor(bands));
    if (!bank) return bank.error();
    // The recording is fed backwards; each band's output is turned round afterwards.
    std::vector<std::vector<double>> filtered(bank->bandCount());
    std::vector<double> block;
    for (size_t end = signal.size(); end > 0;) {
        const size_t n = std::min(kBlock, end);
        block.assign(signal.rbegin() + static_cast<std::ptrdiff_t>(signal.size() - end),
                     signal.rbegin() + static_cast<std::ptrdiff_t>(signal.size() - end + n));
        end -= n;
        bank->process(block, [&](size_t band, std::span<const double> out) {
            filtered[band].insert(filtered[band].end(), out.begin(), out.end());
        });
        const double done =
            0.5 * static_cast<double>(signal.size() - end) / static_cast<double>(signal.size());
        if (progress && !progress(done)) return fail(message(Word::Cancelled));
    }
    ReverberationResult result;
    result.excitation = DetectExcitation(signal, sampleRate);
    // Interrupted noise stops at one moment in every band; the broadband envelope shows it sharply, while a
    // narrow band's envelope fluctuates slowly. Filtered backwards, a band after that moment holds decay
    // only.
    std::optional<double> stop;
    if (result.excitation == DecayExcitation::InterruptedNoise) stop = FindInterruption(signal, sampleRate);
    const bool octave = bands == ReverberationBands::Octave;
    const auto ids = wantedBands(bands);
    for (size_t i = 0; i < ids.size(); ++i) {
        BandDecay row;
        row.label = familyBand(octave ? 3 * ids[i].index : ids[i].index)->nominalLabel;
        row.midbandHz = ids[i].midband();
        const int index = bank->indexOf(ids[i]);
        row.inRange = index >= 0;
        if (row.inRange) {
            auto& x = filtered[static_cast<size_t>(index)];
            std::reverse(x.begin(), x.end());
            DecayParameters p;
            p.excitation = result.excitation;
            p.bandwidthHz = ids[i].upperEdge() - ids[i].lowerEdge();
            p.stopSeconds = stop;
            row.decay = AnalyzeDecay(x, bank->band(static_cast<size_t>(index)).sampleRate, p);
            std::vector<double>().swap(x);
        }
        result.bands.push_back(std::move(row));
        if (progress && !progress(0.5 + 0.5 * static_cast<double>(i + 1) / static_cast<double>(ids.size())))
            return fail(message(Word::Cancelled));
    }
    return result;
}

std::string bandNote(const BandDecay& band) {
    return band.inRange ? decayNote(band.decay) : message(Word::BandAboveNyquist);
}

}  // namespace k470::acoustics
