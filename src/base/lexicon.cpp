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
    {Word::CantWriteFile, "Can't write file"},
    {Word::OutputIsInput, "The output file is one of the input files"},
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
