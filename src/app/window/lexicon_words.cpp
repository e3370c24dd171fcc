// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/lexicon_words.h"

#include <QtGlobal>

namespace k470::app {

namespace {

// The core's messages about the files it reads and the work it does.
const char* const kMessages[] = {
    QT_TRANSLATE_NOOP("Lexicon", "The sampling frequency of '%s' (%s Hz) cannot pace a replay"),
    QT_TRANSLATE_NOOP("Lexicon", "The sampling frequency of '%s' (%s Hz) gives no usable WAV rate"),
    QT_TRANSLATE_NOOP("Lexicon", "'%s' holds no signal record"),
    QT_TRANSLATE_NOOP("Lexicon", "Can't read the samples of a record of '%s'"),
    QT_TRANSLATE_NOOP("Lexicon", "The samples of a record of '%s' lie beyond the end of the file"),
    QT_TRANSLATE_NOOP("Lexicon", "The marker table of a record of '%s' lies outside the file"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Marker %s of a record of '%s' points beyond the end of the file and is left out"),
    QT_TRANSLATE_NOOP("Lexicon", "The conversion was cancelled"),
    QT_TRANSLATE_NOOP("Lexicon", "The reprocessing was cancelled"),
    QT_TRANSLATE_NOOP("Lexicon", "The calculation was cancelled"),
    QT_TRANSLATE_NOOP("Lexicon", "No such channel"),
    QT_TRANSLATE_NOOP("Lexicon", "The filter library '%s' is cut short"),
    QT_TRANSLATE_NOOP("Lexicon", "The filter library '%s' claims %s filters, more than the file can hold"),
    QT_TRANSLATE_NOOP(
        "Lexicon",
        "Filter %s of the filter library '%s' is cut short or has a count beyond the end of the file"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Filter %s of the filter library '%s' has a delay of %s samples, beyond the limit"),
    QT_TRANSLATE_NOOP("Lexicon", "The preset file '%s' is cut short"),
    QT_TRANSLATE_NOOP("Lexicon", "The preset file '%s' holds %s of its %s presets"),
    QT_TRANSLATE_NOOP("Lexicon", "The directory block at offset %s lies beyond the end of '%s'"),
    QT_TRANSLATE_NOOP("Lexicon", "The directory block at offset %s of '%s' is cut short"),
    QT_TRANSLATE_NOOP("Lexicon", "The directory block at offset %s of '%s' is damaged (no SDTA mark)"),
    QT_TRANSLATE_NOOP("Lexicon", "The file '%s' has no entry %s"),
    QT_TRANSLATE_NOOP("Lexicon", "The directory chain of '%s' loops back to offset %s"),
    QT_TRANSLATE_NOOP("Lexicon", "The directory chain of '%s' is longer than the file can hold"),
    QT_TRANSLATE_NOOP("Lexicon", "The record at offset %s cannot be read"),
    QT_TRANSLATE_NOOP("Lexicon", "Can't open the event %s: %s"),
    // signal analysis: levels, spectra and reverberation times
    QT_TRANSLATE_NOOP("Lexicon",
                      "Sampling rate %s Hz is not supported: it must lie between 8000 and 192000 Hz"),
    QT_TRANSLATE_NOOP("Lexicon", "Record %s has no samples"),
    QT_TRANSLATE_NOOP("Lexicon", "There is no channel %s: the file has %s"),
    QT_TRANSLATE_NOOP("Lexicon", "There is no record %s: the file has %s"),
    QT_TRANSLATE_NOOP("Lexicon", "Can't read sound file '%s': %s"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "No single calibrator tone in '%s': the rest of the signal is %s dB below its %s Hz "
                      "band (10 dB or more are needed)"),
    QT_TRANSLATE_NOOP("Lexicon", "The tone in '%s' is at %s Hz, not at the calibrator's %s Hz"),
    QT_TRANSLATE_NOOP("Lexicon", "The tone in '%s' is not steady: its level varied by %s dB (at most %s dB)"),
    QT_TRANSLATE_NOOP("Lexicon", "Sample %s of record %s is not a finite number"),
    QT_TRANSLATE_NOOP("Lexicon", "Sample %s of record %s lies more than %s dB above the 0 dB reference"),
    QT_TRANSLATE_NOOP("Lexicon", "The 0 dB reference %s of channel %s is not between %s and %s"),
    QT_TRANSLATE_NOOP("Lexicon", "Calibrator level %s dB is not between %s and %s dB"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Some levels lie below 0 dB or above 255.99 dB: a record stores them at those limits "
                      "and flags them as under-range or overload"),
    QT_TRANSLATE_NOOP("Lexicon", "Start %s s lies at or beyond the end of record %s (%s s)"),
    QT_TRANSLATE_NOOP("Lexicon", "Length %s s from %s s reaches beyond the end of record %s (%s s)"),
    QT_TRANSLATE_NOOP(
        "Lexicon",
        "The file has no physical scale: levels are in dB re full scale (give --scale or --calibration)"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Channel unit '%s' is not Pa: only Z-weighted levels are given, A and C are left at 0"),
    QT_TRANSLATE_NOOP("Lexicon", "Bands from %s Hz on lie above half the sampling rate and are left empty"),
    QT_TRANSLATE_NOOP("Lexicon", "Scale '%s' is not a number between %s and %s"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Sampling rate %s Hz is not supported for %s: it must lie between %s and %s Hz"),
    QT_TRANSLATE_NOOP(
        "Lexicon",
        "Channel %s is in '%s', not an acceleration (m/s^2): give --scale to take its values as m/s^2"),
    QT_TRANSLATE_NOOP("Lexicon", "Cancelled"),
    QT_TRANSLATE_NOOP("Lexicon", "The FFT size must be a power of two from 256 to 65536, not %s"),
    QT_TRANSLATE_NOOP("Lexicon", "The overlap must be from 0 to 90 %, not %s"),
    QT_TRANSLATE_NOOP("Lexicon", "The FFT size %s is larger than the signal (%s samples)"),
    QT_TRANSLATE_NOOP("Lexicon", "Sample %s of the signal is not a finite number"),
    QT_TRANSLATE_NOOP("Lexicon", "The signal is silent: every sample is zero"),
    QT_TRANSLATE_NOOP("Lexicon", "band above half the sampling rate"),
    QT_TRANSLATE_NOOP("Lexicon", "no signal"),
    QT_TRANSLATE_NOOP("Lexicon", "no decay above the noise"),
    QT_TRANSLATE_NOOP("Lexicon", "dynamic range %s dB"),
    QT_TRANSLATE_NOOP("Lexicon", "%s needs %s dB"),
    QT_TRANSLATE_NOOP("Lexicon", "%s: the decay curve ends above %s dB"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Reverberation time is analysed on at most %s s of signal; this range holds %s s: "
                      "choose a shorter one"),
    // recording the live signal
    QT_TRANSLATE_NOOP("Lexicon", "A recording is already running into '%s'"),
    QT_TRANSLATE_NOOP("Lexicon", "No output channel is switched on: there is nothing to record"),
    QT_TRANSLATE_NOOP("Lexicon", "Not recording"),
    QT_TRANSLATE_NOOP("Lexicon", "Recording stopped: %s. The file '%s' keeps the %s frames recorded before."),
    QT_TRANSLATE_NOOP("Lexicon", "the disk is full"),
    QT_TRANSLATE_NOOP("Lexicon", "the file has reached the largest size allowed"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "The instrument stopped sending: the recording ends with the %s frames that arrived"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "%s frames of the instrument's stream were lost: the PC did not take them in time"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Recording stopped: %s. The file '%s' now holds the %s frames recorded before, in "
                      "place of the earlier file."),
    QT_TRANSLATE_NOOP("Lexicon", "Recording stopped: %s. No frame had been recorded: no file was made."),
    QT_TRANSLATE_NOOP("Lexicon",
                      "Recording stopped: %s. No frame had been recorded: the file '%s' is as it was."),
    QT_TRANSLATE_NOOP(
        "Lexicon",
        "Recording stopped: %s. The %s frames recorded before are in '%s'; the file '%s' is as it was."),
    QT_TRANSLATE_NOOP("Lexicon", "The recording is kept in '%s'."),
    QT_TRANSLATE_NOOP("Lexicon",
                      "A recording needs a file on disk, not a device, a pipe or standard output: '%s'"),
    QT_TRANSLATE_NOOP("Lexicon",
                      "The file '%s' exists: the recording grows in '%s' and replaces it when it ends"),
};

// The instruments' type names.
const char* const kTypeNames[] = {
    QT_TRANSLATE_NOOP("Lexicon", "Unknown type"),
    QT_TRANSLATE_NOOP("Lexicon", "Three-channel whole-body vibration meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Three-channel hand-arm vibration meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Sound level and spectrum meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Whole-body vibration meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Hand-arm vibration meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Infrasound meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Ultrasound meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Sound level and spectrum meter, second series"),
    QT_TRANSLATE_NOOP("Lexicon", "Whole-body vibration meter, second series"),
    QT_TRANSLATE_NOOP("Lexicon", "Hand-arm vibration meter, second series"),
    QT_TRANSLATE_NOOP("Lexicon", "Infrasound meter, second series"),
    QT_TRANSLATE_NOOP("Lexicon", "Ultrasound meter, second series"),
    QT_TRANSLATE_NOOP("Lexicon", "Sound level and spectrum meter, third series"),
    QT_TRANSLATE_NOOP("Lexicon", "Noise meter A"),
    QT_TRANSLATE_NOOP("Lexicon", "Noise meter B"),
    QT_TRANSLATE_NOOP("Lexicon", "Speed meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Noise exposure meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Vibration exposure meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Compact noise meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Compact vibration meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Sound level meter with sensor input"),
    QT_TRANSLATE_NOOP("Lexicon", "Electric field meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Magnetic field meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Two-channel meter"),
    QT_TRANSLATE_NOOP("Lexicon", "Position logger"),
    QT_TRANSLATE_NOOP("Lexicon", "Pulse source"),
};

}  // namespace

const QList<const char*>& TranslatableLexiconWords() {
    static const QList<const char*> words = [] {
        QList<const char*> list = {
            QT_TRANSLATE_NOOP("Lexicon", "Can't open file"),
            QT_TRANSLATE_NOOP("Lexicon", "Unknown file format"),
            QT_TRANSLATE_NOOP("Lexicon", "Error in parameters"),
            QT_TRANSLATE_NOOP("Lexicon", "Different file types: %s and %s"),
            QT_TRANSLATE_NOOP("Lexicon", "No source data"),
            QT_TRANSLATE_NOOP("Lexicon", "Can't write file"),
            QT_TRANSLATE_NOOP("Lexicon", "The output file is one of the input files"),
            QT_TRANSLATE_NOOP("Lexicon", "Can't found tele adapter"),
            QT_TRANSLATE_NOOP("Lexicon", "Can't found device"),
            QT_TRANSLATE_NOOP("Lexicon", "The instrument closed the connection"),
            QT_TRANSLATE_NOOP("Lexicon", "autorecording"),
            QT_TRANSLATE_NOOP("Lexicon", "Stop autorecording?"),
            QT_TRANSLATE_NOOP("Lexicon", "Data tele"),
            QT_TRANSLATE_NOOP("Lexicon", "Date"),
            QT_TRANSLATE_NOOP("Lexicon", "Time"),
            QT_TRANSLATE_NOOP("Lexicon", "Interval"),
            QT_TRANSLATE_NOOP("Lexicon", "Range"),
            QT_TRANSLATE_NOOP("Lexicon", "Record"),
            QT_TRANSLATE_NOOP("Lexicon", "File"),
            QT_TRANSLATE_NOOP("Lexicon", "Filename"),
            QT_TRANSLATE_NOOP("Lexicon", "Octave"),
            QT_TRANSLATE_NOOP("Lexicon", "1/1 octaves"),
            QT_TRANSLATE_NOOP("Lexicon", "1/3 octaves"),
            QT_TRANSLATE_NOOP("Lexicon", "Weighted levels"),
            QT_TRANSLATE_NOOP("Lexicon", "Bands"),
            QT_TRANSLATE_NOOP("Lexicon", "no overflow"),
            QT_TRANSLATE_NOOP("Lexicon", "OVERLOUD"),
            QT_TRANSLATE_NOOP("Lexicon", "current overflow"),
            QT_TRANSLATE_NOOP("Lexicon", "UNDERRANGE"),
            QT_TRANSLATE_NOOP("Lexicon", "calibration offset"),
            QT_TRANSLATE_NOOP("Lexicon", "channel"),
            QT_TRANSLATE_NOOP("Lexicon", "1s rms"),
            QT_TRANSLATE_NOOP("Lexicon", "1s min"),
            QT_TRANSLATE_NOOP("Lexicon", "1s max"),
            QT_TRANSLATE_NOOP("Lexicon", "1s peak"),
            QT_TRANSLATE_NOOP("Lexicon", "5s rms"),
            QT_TRANSLATE_NOOP("Lexicon", "5s min"),
            QT_TRANSLATE_NOOP("Lexicon", "5s max"),
            QT_TRANSLATE_NOOP("Lexicon", "5s peak"),
            QT_TRANSLATE_NOOP("Lexicon", "10s rms"),
            QT_TRANSLATE_NOOP("Lexicon", "10s min"),
            QT_TRANSLATE_NOOP("Lexicon", "10s max"),
            QT_TRANSLATE_NOOP("Lexicon", "10s peak"),
            QT_TRANSLATE_NOOP("Lexicon", "Leq"),
            QT_TRANSLATE_NOOP("Lexicon", "Pk"),
            QT_TRANSLATE_NOOP("Lexicon", "Windows-1252"),
        };
        for (const char* m : kTypeNames) list.append(m);
        for (const char* m : kMessages) list.append(m);
        return list;
    }();
    return words;
}

// The language's own name, shown in the language list.
[[maybe_unused]] static const char* const kLanguageName = QT_TRANSLATE_NOOP("Language", "English");

}  // namespace k470::app
