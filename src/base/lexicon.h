// The words that the core puts into user-facing messages and text outputs. The core holds the English
// words; the desktop application replaces them with the words of the chosen language (and its code page)
// at start-up, so translated outputs need no Qt below the GUI.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/text_encoding.h"

namespace k470 {

enum class Word : int {
    // messages
    CantOpenFile,        // "Can't open file"
    UnknownFileFormat,   // "Unknown file format"
    ErrorInParameters,   // "Error in parameters"
    DifferentFileTypes,  // "Different file types: %s and %s"
    NoSourceData,        // "No source data"
    CantWriteFile,       // "Can't write file"
    OutputIsInput,       // "The output file is one of the input files"
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

}  // namespace k470
