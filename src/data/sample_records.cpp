#include "data/sample_records.h"

#include <cmath>

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

}  // namespace

Result<MeasurementRecord> makeSampleRecord(const SampleRecordOptions& o) {
    auto made = MeasurementRecord::blank(o.type);
    if (!made) return made;
    MeasurementRecord& r = *made;
    Noise noise(o.seed + static_cast<uint32_t>(o.index) * 7919u);
    const double drift = 4.0 * std::sin(o.index * 0.21 + o.seed);
    const double base = baseLevel(r.dimensions.group) + drift;
    const int n = r.dimensions.levelWordCount();
    const int used = r.dimensions.group == ResultGroup::Vibration ? 446 * r.dimensions.channels : n;
    for (int i = 0; i < used && i < n; ++i) {
        if (r.dimensions.group == ResultGroup::FieldStrength && isSkippedFieldStrengthWord(i)) continue;
        // A spectrum with a gentle slope across the record plus a little scatter.
        r.levels[i] = base + 6.0 * std::sin(i * 0.05) + 3.0 * noise.next();
    }
    r.header.vin = o.vin;
    r.header.date = packDosDate({2026, 12, 1 + o.index % 28, 0, 0, 0});
    r.header.time =
        packDosTime({2026, 1, 1, 9 + (o.index / 60) % 12, o.index % 60, static_cast<int>(2 * (o.seed % 30))});
    r.tail.intervalHours = 0;
    r.tail.intervalMinutes = 1;
    r.tail.intervalSeconds = static_cast<uint16_t>(o.index % 60);
    r.tail.rangeIndex = static_cast<uint16_t>(o.seed % 3);
    r.trailer.calibrationOffset[0] = -0.5 + 0.25 * (o.seed % 5);
    r.trailer.overloadStatus[0] = o.index % 17 == 5 ? 1 : 0;
    return made;
}

}  // namespace k470
