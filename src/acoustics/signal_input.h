// SPDX-License-Identifier: GPL-3.0-or-later
// One channel of one recorded signal, read in blocks and scaled to its physical unit: a record of a .sdt
// signal file, or a WAV/FLAC (any format libsndfile reads; such a file is one record).
//
//     SignalInputOptions o;                 // channel 1, record 1, the whole record
//     o.scale = 0.5;                        // or o.calibration = CalibrationSource{"cal.wav", 94.0}
//     auto in = SignalInput::Open("take.wav", o);
//     std::vector<double> block(4096);
//     while (true) { auto n = in->read(block); if (!n) fail...; if (*n == 0) break; ... }
//
// description() tells the rate, the number of frames that read() delivers, the unit and the referenceValue
// (the linear value of 0 dB). A .sdt channel keeps the unit and reference of the file's header. A sound
// file has no physical unit: with a scale (pascals per full-scale unit) or a calibration it is in "Pa" re
// 20 uPa; without either its levels are in dB re full scale (unit "FS", reference 1.0, fullScale set).
// Opening fails with a clear message for anything but a regular file, a damaged .sdt directory, rates,
// references, scales and calibrator levels outside the ranges of data/signal_limits.h, missing channels or
// records, a record without frames, a start beyond the end and files that cannot be read; read() fails on a
// sample that is NaN, infinite or more than 300 dB above the reference. Memory does not depend on the
// signal's length.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/acoustics_words.h"
#include "base/result.h"
#include "data/device_type.h"
#include "data/dos_date_time.h"
#include "signal/signal_state.h"

namespace k470::acoustics {

// A recording of an acoustic calibrator on the same channel: the scale is chosen so that the recording's
// 1 kHz 1/3-octave band reads `level` dB re 20 uPa (or re the channel's reference for a .sdt file).
struct CalibrationSource {
    static constexpr double kDefaultLevel = 94.0;  // dB, the usual calibrator level at 1 kHz
    std::string path;
    double level = kDefaultLevel;
};

// What a scale makes of the stored values: sound pressure (a sound file's full-scale units become pascals re
// 20 uPa; a .sdt channel keeps its unit) or acceleration (a channel in any other unit becomes m/s^2 re
// 1e-6 m/s^2, the vibration meters' reference).
enum class ScaledQuantity { SoundPressure, Acceleration };

// Whether a unit is one of acceleration: "m/s^2", or the instruments' own spelling "m/c^2".
bool accelerationUnit(const std::string& units);
constexpr const char* kAccelerationUnit = "m/s^2";

struct SignalInputOptions {
    int channel = 1;               // channel number from 1 (in a .sdt file: the number of the channel, 1..3)
    int record = 1;                // record number from 1 (a sound file has one)
    double start = 0.0;            // seconds from the start of the record
    std::optional<double> length;  // seconds; the rest of the record when not given
    std::optional<double> scale;   // factor to the physical unit (pascals per full-scale unit)
    std::optional<CalibrationSource> calibration;
    ScaledQuantity quantity = ScaledQuantity::SoundPressure;
    SampleRateRange rates;  // the rates the analysis takes
};

enum class SignalFileKind { Sdt, Sound };

struct SignalDescription {
    std::string path;
    SignalFileKind kind = SignalFileKind::Sdt;
    double sampleRate = 0.0;
    int channelCount = 0;  // channels of the file
    int recordCount = 0;
    int record = 1;           // the record read, from 1
    uint64_t firstFrame = 0;  // of the record, where reading starts
    uint64_t frames = 0;      // what read() delivers in all
    std::string units;        // "Pa", "m/c^2", "mV", or "FS" for dB re full scale
    double referenceValue = 1.0;
    bool fullScale = false;  // a sound file without scale: levels are in dB re full scale
    double scale = 1.0;      // the factor applied to the stored values
    ScaleOrigin scaleOrigin = ScaleOrigin::Source;  // where the physical scale came from, if any
    std::optional<CalendarTime> recordStart;        // date and time of the record, when the file has them
    DeviceType deviceType = 0;
    uint32_t vin = 0;

    double startSeconds() const { return static_cast<double>(firstFrame) / sampleRate; }
    bool acoustic() const { return units == "Pa" || fullScale; }
};

class SignalInput {
  public:
    static Result<SignalInput> Open(const std::string& path, const SignalInputOptions& options = {});
    SignalInput(SignalInput&&) noexcept;
    SignalInput& operator=(SignalInput&&) noexcept;
    ~SignalInput();

    const SignalDescription& description() const { return description_; }
    // Fills out with the next samples; returns how many (0 at the end).
    Result<size_t> read(std::span<double> out);
    uint64_t framesRead() const { return done_; }
    // Whether a sample read so far was other than zero.
    bool heardSound() const { return sound_; }

    class Source;  // the file behind it

  private:
    SignalInput(SignalDescription d, std::unique_ptr<Source> source);
    SignalDescription description_;
    std::unique_ptr<Source> source_;
    uint64_t done_ = 0;
    bool sound_ = false;
    std::vector<double> frames_;  // interleaved frames of one block
};

// The number of records of a signal file (1 for a sound file); fails for a damaged file or one without any.
Result<int> countSignalRecords(const std::string& path);

// Reads the signal up to its first sample that is not zero: fails with "The signal is silent" when there is
// none, or at a sample that is out of range before it. Every analysis refuses a silent signal.
Status checkHasSound(const std::string& path, const SignalInputOptions& options);

// The scale that makes the calibration recording's 1 kHz band read its level, for the given channel.
// Fails when the recording holds no 1 kHz tone (its band level more than 10 dB below its broadband level).
Result<double> calibrationScale(const CalibrationSource& calibration, int channel);

}  // namespace k470::acoustics
