// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sample_records.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <span>

namespace k470 {

namespace {

// A small deterministic generator (xorshift), so samples are the same on every machine.
class Noise {
  public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    double next() {  // in [0, 1)
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return (state_ & 0xFFFFFF) / 16777216.0;
    }

  private:
    uint32_t state_;
};

double baseLevel(ResultGroup group) {
    switch (group) {
        case ResultGroup::Vibration:
            return 95.0;  // dB re 1e-6 m/s^2
        case ResultGroup::SoundLevel:
            return 62.0;  // dB re 20 uPa
        case ResultGroup::Infrasound:
            return 78.0;
        case ResultGroup::Ultrasound:
            return 55.0;
        case ResultGroup::FieldStrength:
            return 40.0;
        default:
            return 50.0;
    }
}

// The words of a row of 10 (sound level, ultrasound): Imp, Fast, Slow, Leq, then min and max of Imp, Fast and
// Slow. Of 12 (sound level weightings): Imp, Fast, Slow, Leq, an unshown word, Peak, then the six.
using RowPattern = std::initializer_list<WordRole>;
constexpr WordRole inst(int c) {
    return {WordRole::Instant, c};
}
constexpr WordRole leq(int c) {
    return {WordRole::Leq, c};
}
constexpr WordRole lo(int c) {
    return {WordRole::Min, c};
}
constexpr WordRole hi(int c) {
    return {WordRole::Max, c};
}
constexpr WordRole peak(int c) {
    return {WordRole::Peak, c};
}

// Sets count rows of width words from word first by the pattern (sources relative to the row).
void setRows(std::vector<WordRole>& roles, int first, int count, int width, RowPattern pattern) {
    for (int r = 0; r < count; ++r) {
        const int w = first + r * width;
        int k = 0;
        for (WordRole role : pattern) {
            if (w + k < static_cast<int>(roles.size()))
                roles[static_cast<size_t>(w + k)] = {role.kind, w + role.source};
            ++k;
        }
    }
}

// One vibration channel of 446 words from word first: 8 octave blocks of 40 words (1 s, 5 s and 10 s rms
// and Leq of the octave and its three thirds, then min and max of each rms), then 9 weighted rows of 14.
void setVibrationChannel(std::vector<WordRole>& roles, int first) {
    for (int block = 0; block < 8; ++block) {
        const int w = first + 40 * block;
        for (int j = 0; j < 4; ++j) {
            for (int period = 0; period < 3; ++period) {
                const int rms = w + 4 * period + j;
                roles[static_cast<size_t>(rms)] = inst(rms);
                roles[static_cast<size_t>(w + 16 + 8 * period + 2 * j)] = lo(rms);
                roles[static_cast<size_t>(w + 17 + 8 * period + 2 * j)] = hi(rms);
            }
            roles[static_cast<size_t>(w + 12 + j)] = leq(w + j);
        }
    }
    // 1s, 5s, 10s peak, 1s, 5s, 10s rms, Leq, Pk, then min and max of the three rms values.
    setRows(roles, first + 320, 9, 14,
            {peak(3), peak(4), peak(5), inst(3), inst(4), inst(5), leq(3), peak(3), lo(3), hi(3), lo(4),
             hi(4), lo(5), hi(5)});
}

// Frequency weightings by their analytic definitions (poles at 20.6, 107.7, 737.9 and 12194 Hz), 0 dB at
// 1 kHz.
double weightingC(double f) {
    const double f2 = f * f, p1 = 20.598997 * 20.598997, p4 = 12194.217 * 12194.217;
    return 20.0 * std::log10(p4 * f2 / ((f2 + p1) * (f2 + p4))) + 0.0619;
}
double weightingA(double f) {
    const double f2 = f * f, p2 = 107.65265 * 107.65265, p3 = 737.86223 * 737.86223;
    return weightingC(f) - 0.0619 + 20.0 * std::log10(f2 / std::sqrt((f2 + p2) * (f2 + p3))) + 2.0;
}

double energySum(std::span<const double> levels, const std::function<double(size_t)>& correction) {
    double sum = 0.0;
    for (size_t i = 0; i < levels.size(); ++i) sum += std::pow(10.0, (levels[i] + correction(i)) / 10.0);
    return 10.0 * std::log10(sum);
}

// The Fast levels of a sound level meter: 30 thirds (25 Hz to 20 kHz) of a spectrum that rises to the low
// hundreds of hertz and falls by 3 dB per octave above 1 kHz, the 10 octaves as energy sums of their thirds,
// and C, A and Z summed from the thirds.
std::vector<double> soundLevelSpectrum(double base, Noise& noise) {
    std::vector<double> thirds(30);
    for (size_t k = 0; k < thirds.size(); ++k) {
        const double f = std::pow(10.0, 1.4 + 0.1 * static_cast<double>(k));
        thirds[k] = base - 3.0 * std::max(0.0, std::log2(f / 1000.0)) -
                    2.0 * std::max(0.0, std::log2(100.0 / f)) + 1.5 * (noise.next() - 0.5);
    }
    std::vector<double> levels;
    for (size_t i = 0; i < 10; ++i)
        levels.push_back(
            energySum(std::span<const double>(thirds).subspan(3 * i, 3), [](size_t) { return 0.0; }));
    levels.insert(levels.end(), thirds.begin(), thirds.end());
    auto freq = [](size_t k) { return std::pow(10.0, 1.4 + 0.1 * static_cast<double>(k)); };
    levels.push_back(energySum(thirds, [&](size_t k) { return weightingC(freq(k)); }));
    levels.push_back(energySum(thirds, [&](size_t k) { return weightingA(freq(k)); }));
    levels.push_back(energySum(thirds, [](size_t) { return 0.0; }));
    return levels;
}

}  // namespace

std::vector<WordRole> levelWordRoles(const RecordDimensions& d) {
    std::vector<WordRole> roles(static_cast<size_t>(d.levelWordCount()));
    for (size_t i = 0; i < roles.size(); ++i) roles[i] = inst(static_cast<int>(i));
    const RowPattern tenWords = {inst(0), inst(1), inst(2), leq(1), lo(0), hi(0), lo(1), hi(1), lo(2), hi(2)};
    switch (d.group) {
        case ResultGroup::SoundLevel:
            setRows(roles, 0, 4 * d.bands, 10, tenWords);
            setRows(roles, 4 * d.bands * 10, 3, 12,
                    {inst(0), inst(1), inst(2), leq(1), inst(4), peak(0), lo(0), hi(0), lo(1), hi(1), lo(2),
                     hi(2)});
            break;
        case ResultGroup::Ultrasound:
            setRows(roles, 0, 31, 10, tenWords);
            break;
        case ResultGroup::Infrasound:
            // Slow, ESlow, Leq, then min and max of Slow and ESlow.
            setRows(roles, 0, 36, 7, {inst(0), inst(1), leq(0), lo(0), hi(0), lo(1), hi(1)});
            break;
        case ResultGroup::FieldStrength:
            // Fast, Fast min, Fast max, Slow, Slow min, Slow max.
            setRows(roles, 0, 30, 6, {inst(0), lo(0), hi(0), inst(3), lo(3), hi(3)});
            setRows(roles, 192, 1, 6, {inst(0), lo(0), hi(0), inst(3), lo(3), hi(3)});
            break;
        case ResultGroup::Vibration:
            for (int c = 0; c < d.channels && 446 * (c + 1) <= static_cast<int>(roles.size()); ++c)
                setVibrationChannel(roles, 446 * c);
            break;
        default:
            break;
    }
    return roles;
}

Result<MeasurementRecord> makeSampleRecord(const SampleRecordOptions& o) {
    auto made = MeasurementRecord::blank(o.type);
    if (!made) return made;
    MeasurementRecord& r = *made;
    Noise noise(o.seed + static_cast<uint32_t>(o.index) * 7919u);
    const double drift = 4.0 * std::sin(o.index * 0.21 + o.seed);
    const double base = baseLevel(r.dimensions.group) + drift;
    const int n = r.dimensions.levelWordCount();
    const int used = r.dimensions.group == ResultGroup::Vibration ? 446 * r.dimensions.channels : n;
    const std::vector<WordRole> roles = levelWordRoles(r.dimensions);
    const bool soundLevel = r.dimensions.group == ResultGroup::SoundLevel;
    // Thirds about 12 dB below the total, which is then near the base level.
    const std::vector<double> spectrum =
        soundLevel ? soundLevelSpectrum(base - 12.0, noise) : std::vector<double>{};
    auto skipped = [&](int i) {
        return i >= used ||
               (r.dimensions.group == ResultGroup::FieldStrength && isSkippedFieldStrengthWord(i));
    };
    for (int i = 0; i < n; ++i) {
        if (skipped(i) || roles[static_cast<size_t>(i)].kind != WordRole::Instant) continue;
        if (soundLevel) {
            // Rows of 10 words for the 40 bands, then of 12 for C, A and Z; Imp reads a little above Fast,
            // Slow a little below.
            const int row = i < 400 ? i / 10 : 40 + (i - 400) / 12;
            const int column = i < 400 ? i % 10 : (i - 400) % 12;
            r.levels[i] =
                spectrum[static_cast<size_t>(row)] + (column == 0 ? 1.5 : (column == 2 ? -0.3 : 0.0));
        } else {
            // A spectrum with a gentle slope across the record plus a little scatter.
            r.levels[i] = base + 6.0 * std::sin(i * 0.05) + 3.0 * noise.next();
        }
    }
    // How far the levels went below and above their value over the interval: alike for every word, so that
    // the summed levels stay consistent with their bands.
    const double below = 2.0 + 4.0 * noise.next();
    const double above = 2.0 + 6.0 * noise.next();
    for (int i = 0; i < n; ++i) {
        if (skipped(i)) continue;
        const WordRole role = roles[static_cast<size_t>(i)];
        const double v = r.levels[static_cast<size_t>(role.source)];
        switch (role.kind) {
            case WordRole::Instant:
                break;
            case WordRole::Leq:  // a fluctuating level's energy mean lies above its typical value
                r.levels[i] = v + 0.3 * above;
                break;
            case WordRole::Min:
                r.levels[i] = v - below;
                break;
            case WordRole::Max:
                r.levels[i] = v + above;
                break;
            case WordRole::Peak:
                r.levels[i] = v + above + kPeakAboveMaxDb;
                break;
        }
    }
    r.header.vin = o.vin;
    // One record a minute from 09:00 on 1 December, each of one minute, as a meter that autorecords does:
    // the clock runs on through the night into the next days (and starts again after four weeks).
    const int minute = 9 * 60 + o.index;
    r.header.date = packDosDate({2026, 12, 1 + (minute / 1440) % 28, 0, 0, 0});
    r.header.time =
        packDosTime({2026, 1, 1, (minute / 60) % 24, minute % 60, static_cast<int>(2 * (o.seed % 30))});
    r.tail.intervalHours = 0;
    r.tail.intervalMinutes = 1;
    r.tail.intervalSeconds = 0;
    r.tail.rangeIndex = static_cast<uint16_t>(o.seed % 3);
    r.trailer.calibrationOffset[0] = -0.5 + 0.25 * (o.seed % 5);
    r.trailer.overloadStatus[0] = o.index % 17 == 5 ? 1 : 0;
    return made;
}

}  // namespace k470
