// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/lexicon.h"

namespace k470 {

namespace {

struct DefaultWord {
    Word word;
    const char* text;
};

constexpr DefaultWord kEnglish[] = {
    {Word::CantOpenFile, "Can't open file"},
    {Word::UnknownFileFormat, "Unknown file format"},
    {Word::ErrorInParameters, "Error in parameters"},
    {Word::DifferentFileTypes, "Different file types: %s and %s"},
    {Word::NoSourceData, "No source data"},
    {Word::SampleRateCannotPaceReplay, "The sampling frequency of '%s' (%s Hz) cannot pace a replay"},
    {Word::SampleRateGivesNoWavRate, "The sampling frequency of '%s' (%s Hz) gives no usable WAV rate"},
    {Word::HoldsNoSignalRecord, "'%s' holds no signal record"},
    {Word::CantReadSamples, "Can't read the samples of a record of '%s'"},
    {Word::SamplesBeyondEnd, "The samples of a record of '%s' lie beyond the end of the file"},
    {Word::MarkerTableOutside, "The marker table of a record of '%s' lies outside the file"},
    {Word::MarkerBeyondEnd,
     "Marker %s of a record of '%s' points beyond the end of the file and is left out"},
    {Word::ConversionCancelled, "The conversion was cancelled"},
    {Word::ReprocessingCancelled, "The reprocessing was cancelled"},
    {Word::CalculationCancelled, "The calculation was cancelled"},
    {Word::NoSuchChannel, "No such channel"},
    {Word::FilterLibraryCutShort, "The filter library '%s' is cut short"},
    {Word::FilterLibraryTooManyFilters,
     "The filter library '%s' claims %s filters, more than the file can hold"},
    {Word::FilterCutShort,
     "Filter %s of the filter library '%s' is cut short or has a count beyond the end of the file"},
    {Word::FilterDelayBeyondLimit,
     "Filter %s of the filter library '%s' has a delay of %s samples, beyond the limit"},
    {Word::PresetFileCutShort, "The preset file '%s' is cut short"},
    {Word::PresetFileHoldsSome, "The preset file '%s' holds %s of its %s presets"},
    {Word::DirectoryBlockBeyondEnd, "The directory block at offset %s lies beyond the end of '%s'"},
    {Word::DirectoryBlockCutShort, "The directory block at offset %s of '%s' is cut short"},
    {Word::DirectoryBlockDamaged, "The directory block at offset %s of '%s' is damaged (no SDTA mark)"},
    {Word::FileHasNoEntry, "The file '%s' has no entry %s"},
    {Word::DirectoryChainLoops, "The directory chain of '%s' loops back to offset %s"},
    {Word::DirectoryChainTooLong, "The directory chain of '%s' is longer than the file can hold"},
    {Word::RecordCannotBeRead, "The record at offset %s cannot be read"},
    {Word::CantOpenEvent, "Can't open the event %s: %s"},
    {Word::SampleRateOutOfRange,
     "Sampling rate %s Hz is not supported: it must lie between 8000 and 192000 Hz"},
    {Word::RecordWithoutFrames, "Record %s has no samples"},
    {Word::ChannelNotInFile, "There is no channel %s: the file has %s"},
    {Word::NoSuchRecord, "There is no record %s: the file has %s"},
    {Word::CantReadSoundFile, "Can't read sound file '%s': %s"},
    {Word::NoCalibrationTone,
     "No single calibrator tone in '%s': the rest of the signal is %s dB below its %s Hz band (10 dB "
     "or more are needed)"},
    {Word::CalibratorToneOffFrequency, "The tone in '%s' is at %s Hz, not at the calibrator's %s Hz"},
    {Word::CalibratorToneUnsteady,
     "The tone in '%s' is not steady: its level varied by %s dB (at most %s dB)"},
    {Word::SampleNotFinite, "Sample %s of record %s is not a finite number"},
    {Word::StartBeyondEnd, "Start %s s lies at or beyond the end of record %s (%s s)"},
    {Word::RangeBeyondEnd, "Length %s s from %s s reaches beyond the end of record %s (%s s)"},
    {Word::LevelsReFullScale,
     "The file has no physical scale: levels are in dB re full scale (give --scale or --calibration)"},
    {Word::ZWeightedOnly,
     "Channel unit '%s' is not Pa: only Z-weighted levels are given, A and C are left at 0"},
    {Word::BandsAboveNyquist, "Bands from %s Hz on lie above half the sampling rate and are left empty"},
    {Word::InvalidScale, "Scale '%s' is not a number between %s and %s"},
    {Word::ReferenceOutOfRange, "The 0 dB reference %s of channel %s is not between %s and %s"},
    {Word::SampleOutOfRange, "Sample %s of record %s lies more than %s dB above the 0 dB reference"},
    {Word::CalibrationLevelOutOfRange, "Calibrator level %s dB is not between %s and %s dB"},
    {Word::LevelsOutsideRecord,
     "Some levels lie below 0 dB or above 255.99 dB: a record stores them at those limits and flags them as "
     "under-range or overload"},
    {Word::SampleRateOutsideRange,
     "Sampling rate %s Hz is not supported for %s: it must lie between %s and %s Hz"},
    {Word::NotAcceleration,
     "Channel %s is in '%s', not an acceleration (m/s^2): give --scale to take its values as m/s^2"},
    {Word::Cancelled, "Cancelled"},
    {Word::CantWriteFile, "Can't write file"},
    {Word::OutputIsInput, "The output file is one of the input files"},
    {Word::RecordingAlreadyRunning, "A recording is already running into '%s'"},
    {Word::NothingToRecord, "No output channel is switched on: there is nothing to record"},
    {Word::NotRecording, "Not recording"},
    {Word::RecordingStopped, "Recording stopped: %s. The file '%s' keeps the %s frames recorded before."},
    {Word::DiskFull, "the disk is full"},
    {Word::FileSizeLimit, "the file has reached the largest size allowed"},
    {Word::StreamWentSilent,
     "The instrument stopped sending: the recording ends with the %s frames that arrived"},
    {Word::StreamFramesLost,
     "%s frames of the instrument's stream were lost: the PC did not take them in time"},
    {Word::RecordingStoppedReplaced,
     "Recording stopped: %s. The file '%s' now holds the %s frames recorded before, in place of the earlier "
     "file."},
    {Word::RecordingStoppedNothingMade,
     "Recording stopped: %s. No frame had been recorded: no file was made."},
    {Word::RecordingStoppedEarlierKept,
     "Recording stopped: %s. No frame had been recorded: the file '%s' is as it was."},
    {Word::RecordingStoppedLeftAside,
     "Recording stopped: %s. The %s frames recorded before are in '%s'; the file '%s' is as it was."},
    {Word::RecordingKeptAt, "The recording is kept in '%s'."},
    {Word::RecordingNeedsFile,
     "A recording needs a file on disk, not a device, a pipe or standard output: '%s'"},
    {Word::RecordingGrowsBeside,
     "The file '%s' exists: the recording grows in '%s' and replaces it when it ends"},
    {Word::CantFoundTeleAdapter, "Can't found tele adapter"},
    {Word::CantFoundDevice, "Can't found device"},
    {Word::ConnectionClosed, "The instrument closed the connection"},
    {Word::Autorecording, "autorecording"},
    {Word::StopAutorecording, "Stop autorecording?"},
    {Word::DataTele, "Data tele"},
    {Word::Date, "Date"},
    {Word::Time, "Time"},
    {Word::Interval, "Interval"},
    {Word::Range, "Range"},
    {Word::Record, "Record"},
    {Word::File, "File"},
    {Word::Filename, "Filename"},
    {Word::Octave, "Octave"},
    {Word::OneOneOctaves, "1/1 octaves"},
    {Word::OneThirdOctaves, "1/3 octaves"},
    {Word::WeightedLevels, "Weighted levels"},
    {Word::Bands, "Bands"},
    {Word::NoOverflow, "no overflow"},
    {Word::Overloud, "OVERLOUD"},
    {Word::CurrentOverflow, "current overflow"},
    {Word::Underrange, "UNDERRANGE"},
    {Word::CalibrationOffset, "calibration offset"},
    {Word::Channel, "channel"},
    {Word::Rms1s, "1s rms"},
    {Word::Min1s, "1s min"},
    {Word::Max1s, "1s max"},
    {Word::Peak1s, "1s peak"},
    {Word::Rms5s, "5s rms"},
    {Word::Min5s, "5s min"},
    {Word::Max5s, "5s max"},
    {Word::Peak5s, "5s peak"},
    {Word::Rms10s, "10s rms"},
    {Word::Min10s, "10s min"},
    {Word::Max10s, "10s max"},
    {Word::Peak10s, "10s peak"},
    {Word::VibrationLeq, "Leq"},
    {Word::VibrationPk, "Pk"},
    {Word::FftSizeInvalid, "The FFT size must be a power of two from 256 to 65536, not %s"},
    {Word::FftOverlapInvalid, "The overlap must be from 0 to 90 %, not %s"},
    {Word::FftSizeAboveSignal, "The FFT size %s is larger than the signal (%s samples)"},
    {Word::SignalSampleNotFinite, "Sample %s of the signal is not a finite number"},
    {Word::SignalSilent, "The signal is silent: every sample is zero"},
    {Word::BandAboveNyquist, "band above half the sampling rate"},
    {Word::DecayNoSignal, "no signal"},
    {Word::DecayNoDecay, "no decay above the noise"},
    {Word::DecayDynamicRange, "dynamic range %s dB"},
    {Word::DecayQuantityNeeds, "%s needs %s dB"},
    {Word::DecayCurveShort, "%s: the decay curve ends above %s dB"},
    {Word::DecayRangeTooLong,
     "Reverberation time is analysed on at most %s s of signal; this range holds %s s: choose a shorter one"},
    {Word::UnknownType, "Unknown type"},
};

// Display names of the device type codes 0..26 (from the instrument family's type list).
constexpr const char* kDeviceTypeNames[27] = {
    "Unknown type",
    "Three-channel whole-body vibration meter",
    "Three-channel hand-arm vibration meter",
    "Sound level and spectrum meter",
    "Whole-body vibration meter",
    "Hand-arm vibration meter",
    "Infrasound meter",
    "Ultrasound meter",
    "Sound level and spectrum meter, second series",
    "Whole-body vibration meter, second series",
    "Hand-arm vibration meter, second series",
    "Infrasound meter, second series",
    "Ultrasound meter, second series",
    "Sound level and spectrum meter, third series",
    "Noise meter A",
    "Noise meter B",
    "Speed meter",
    "Noise exposure meter",
    "Vibration exposure meter",
    "Compact noise meter",
    "Compact vibration meter",
    "Sound level meter with sensor input",
    "Electric field meter",
    "Magnetic field meter",
    "Two-channel meter",
    "Position logger",
    "Pulse source",
};

Lexicon& activeLexicon() {
    static Lexicon instance;
    return instance;
}

}  // namespace

Lexicon::Lexicon() {
    for (const auto& w : kEnglish) setText(w.word, w.text);
    for (int code = 0; code < 27; ++code)
        setText(static_cast<Word>(static_cast<int>(Word::DeviceType0) + code), kDeviceTypeNames[code]);
}

namespace {

std::string quoted(const std::string& word, std::string_view path) {
    std::string s = word;
    s += " '";
    s += path;
    s += "'";
    return s;
}

}  // namespace

std::string Lexicon::cantOpenFile(std::string_view path) const {
    return quoted(text(Word::CantOpenFile), path);
}

std::string Lexicon::cantWriteFile(std::string_view path) const {
    return quoted(text(Word::CantWriteFile), path);
}

const std::string& Lexicon::deviceTypeName(unsigned code) const {
    if (code > 26) return text(Word::UnknownType);
    return text(static_cast<Word>(static_cast<int>(Word::DeviceType0) + static_cast<int>(code)));
}

const Lexicon& lexicon() {
    return activeLexicon();
}

void setLexicon(const Lexicon& lexicon) {
    activeLexicon() = lexicon;
}

std::string substitute(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace k470
