// SPDX-License-Identifier: GPL-3.0-or-later
// The words that the core puts into user-facing messages and text outputs. The core holds the English
// words; the desktop application replaces them with the words of the chosen language (and its code page)
// at start-up, so translated outputs need no Qt below the GUI.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/text_encoding.h"

namespace k470 {

enum class Word : int {
    // messages
    CantOpenFile,        // "Can't open file"
    UnknownFileFormat,   // "Unknown file format"
    ErrorInParameters,   // "Error in parameters"
    DifferentFileTypes,  // "Different file types: %s and %s"
    NoSourceData,        // "No source data"
    // messages about the files read and the work done ("%s" filled in turn)
    SampleRateCannotPaceReplay,  // "The sampling frequency of '%s' (%s Hz) cannot pace a replay"
    SampleRateGivesNoWavRate,    // "The sampling frequency of '%s' (%s Hz) gives no usable WAV rate"
    HoldsNoSignalRecord,         // "'%s' holds no signal record"
    CantReadSamples,             // "Can't read the samples of a record of '%s'"
    SamplesBeyondEnd,            // "The samples of a record of '%s' lie beyond the end of the file"
    MarkerTableOutside,          // "The marker table of a record of '%s' lies outside the file"
    MarkerBeyondEnd,      // "Marker %s of a record of '%s' points beyond the end of the file and is left out"
    ConversionCancelled,  // "The conversion was cancelled"
    ReprocessingCancelled,        // "The reprocessing was cancelled"
    CalculationCancelled,         // "The calculation was cancelled"
    NoSuchChannel,                // "No such channel"
    FilterLibraryCutShort,        // "The filter library '%s' is cut short"
    FilterLibraryTooManyFilters,  // "The filter library '%s' claims %s filters, more than the file can hold"
    FilterCutShort,  // "Filter %s of the filter library '%s' is cut short or has a count beyond the end of
                     // the file"
    FilterDelayBeyondLimit,   // "Filter %s of the filter library '%s' has a delay of %s samples, beyond the
                              // limit"
    PresetFileCutShort,       // "The preset file '%s' is cut short"
    PresetFileHoldsSome,      // "The preset file '%s' holds %s of its %s presets"
    DirectoryBlockBeyondEnd,  // "The directory block at offset %s lies beyond the end of '%s'"
    DirectoryBlockCutShort,   // "The directory block at offset %s of '%s' is cut short"
    DirectoryBlockDamaged,    // "The directory block at offset %s of '%s' is damaged (no SDTA mark)"
    FileHasNoEntry,           // "The file '%s' has no entry %s"
    DirectoryChainLoops,      // "The directory chain of '%s' loops back to offset %s"
    DirectoryChainTooLong,    // "The directory chain of '%s' is longer than the file can hold"
    RecordCannotBeRead,       // "The record at offset %s cannot be read"
    CantOpenEvent,            // "Can't open the event %s: %s"
    // signal analysis (levels, bands, calibration); %s stand for numbers or names given with them
    SampleRateOutOfRange,        // sampling rate outside 8..192 kHz
    RecordWithoutFrames,         // a signal record without samples
    ChannelNotInFile,            // a channel the file does not have
    NoSuchRecord,                // a record the file does not have
    CantReadSoundFile,           // libsndfile refused the file
    NoCalibrationTone,           // no single calibrator tone in a calibration recording
    CalibratorToneOffFrequency,  // the tone is not at the calibrator's frequency
    CalibratorToneUnsteady,      // the tone's level varies too much
    SampleNotFinite,             // NaN or infinite sample
    StartBeyondEnd,              // --start lies behind the record's end
    RangeBeyondEnd,              // --start and --length reach past the record's end
    LevelsReFullScale,           // a WAV without scale
    ZWeightedOnly,               // a channel whose unit is not Pa
    BandsAboveNyquist,           // bands left out above half the rate
    InvalidScale,                // a scale outside the sane range
    ReferenceOutOfRange,         // a channel's 0 dB reference outside the sane range
    SampleOutOfRange,            // a sample far above anything measurable
    CalibrationLevelOutOfRange,  // a calibrator level outside the sane range
    LevelsOutsideRecord,         // levels a sound-level record cannot hold, stored at its limits and flagged
    SampleRateOutsideRange,      // rate outside what an analysis takes: rate, analysis, lowest, highest
    NotAcceleration,             // a vibration channel whose unit is not an acceleration: channel, unit
    Cancelled,                   // long work cancelled by the user
    CantWriteFile,               // "Can't write file"
    OutputIsInput,               // "The output file is one of the input files"
    // recording the live signal; %s stand for names and numbers given with them
    RecordingAlreadyRunning,  // "A recording is already running into '%s'"
    NothingToRecord,          // no output channel switched on
    NotRecording,             // "Not recording"
    RecordingStopped,         // a failed write ended the recording: why, the file, the frames kept
    DiskFull,                 // "the disk is full" (the why of RecordingStopped)
    FileSizeLimit,            // "the file has reached the largest size allowed"
    StreamWentSilent,         // the instrument stopped sending while recording
    StreamFramesLost,         // frames of the live stream that the PC did not take in time
    // where a recording is after it ended, or that it cannot be made; %s as with RecordingStopped
    RecordingStoppedReplaced,     // ... in place of an earlier file: why, the file, the frames
    RecordingStoppedNothingMade,  // ... before any frame: why
    RecordingStoppedEarlierKept,  // ... before any frame, an earlier file stays: why, the file
    RecordingStoppedLeftAside,    // ... beside the earlier file: why, the frames, where, the file
    RecordingKeptAt,              // where a recording that could not take its name is
    RecordingNeedsFile,           // a recording named a device, a pipe or standard output
    RecordingGrowsBeside,         // an earlier file of the name: the file, where the recording grows
    // instrument links
    CantFoundTeleAdapter,  // "Can't found tele adapter"
    CantFoundDevice,       // "Can't found device"
    ConnectionClosed,      // "The instrument closed the connection"
    Autorecording,         // "autorecording"
    StopAutorecording,     // "Stop autorecording?"
    DataTele,              // "Data tele"
    // header labels of the text export and the reports
    Date,
    Time,
    Interval,
    Range,
    Record,
    File,
    Filename,
    // table titles
    Octave,
    OneOneOctaves,
    OneThirdOctaves,
    WeightedLevels,
    Bands,
    // status words
    NoOverflow,
    Overloud,
    CurrentOverflow,
    Underrange,
    CalibrationOffset,
    Channel,
    // vibration row labels
    Rms1s,
    Min1s,
    Max1s,
    Peak1s,
    Rms5s,
    Min5s,
    Max5s,
    Peak5s,
    Rms10s,
    Min10s,
    Max10s,
    Peak10s,
    VibrationLeq,
    VibrationPk,
    // spectra and reverberation time; %s stand for numbers or names given with them
    FftSizeInvalid,         // an FFT size out of range
    FftOverlapInvalid,      // an overlap out of range
    FftSizeAboveSignal,     // fewer samples than one frame
    SignalSampleNotFinite,  // NaN or infinite sample
    SignalSilent,           // all samples zero
    BandAboveNyquist,       // a band the rate cannot hold
    DecayNoSignal,          // reverberation notes: a band without energy
    DecayNoDecay,           // ... a steady signal
    DecayDynamicRange,      // ... too little range, followed by
    DecayQuantityNeeds,     // ... what each quantity needs
    DecayCurveShort,        // ... a curve shorter than the fit range
    DecayRangeTooLong,      // a range longer than a reverberation analysis takes
    // device type names 0..26; codes of 27 and above use UnknownType
    DeviceType0,
    DeviceType26 = DeviceType0 + 26,
    UnknownType,
    Count
};

constexpr size_t kWordCount = static_cast<size_t>(Word::Count);

class Lexicon {
  public:
    // The English words and the Windows-1252 code page.
    Lexicon();

    const std::string& text(Word word) const { return words_[static_cast<size_t>(word)]; }
    void setText(Word word, std::string text) { words_[static_cast<size_t>(word)] = std::move(text); }

    CodePage codePage() const { return codePage_; }
    void setCodePage(CodePage codePage) { codePage_ = codePage; }

    // A word converted to the 8-bit code page of text outputs.
    std::string encoded(Word word) const { return toCodePage(text(word), codePage_); }

    // "Can't open file 'path'"
    std::string cantOpenFile(std::string_view path) const;
    // "Can't write file 'path'"
    std::string cantWriteFile(std::string_view path) const;
    // The display name of a device type code ("Unknown type" for 27 and above).
    const std::string& deviceTypeName(unsigned code) const;

  private:
    std::array<std::string, kWordCount> words_;
    CodePage codePage_ = CodePage::Windows1252;
};

// The lexicon in use. The application installs its translated lexicon once at start-up, before any other
// thread runs; everything else only reads it.
const Lexicon& lexicon();
void setLexicon(const Lexicon& lexicon);

// Replaces each "%s" of a pattern in turn by the next argument.
std::string substitute(std::string_view pattern, std::initializer_list<std::string_view> args);

// An error with a message of the active lexicon, each "%s" filled in turn by the next argument.
inline Error fail(Word message, std::initializer_list<std::string_view> args = {}) {
    return fail(substitute(lexicon().text(message), args));
}

}  // namespace k470
