#include "export/text_export.h"

#include <cmath>

#include "base/byte_order.h"
#include "base/number_format.h"
#include "base/text_encoding.h"

namespace k470 {

namespace {

constexpr const char* kEol = "\r\n";

// Band header lines, exactly as spreadsheets of earlier exports expect them.
constexpr const char* kVibrationOctavesWholeBody = ";1.0;2.0;4.0;8.0;16.0;31.5;63.0;125;";
constexpr const char* kVibrationOctavesHandArm = ";8.0;16.0;31.5;63.0;125;250;500;1.0k;";
constexpr const char* kVibrationThirdsWholeBody =
    ";0.8;1.0;1.25;1.6;2.0;2.5;3.15;4.0;5.0;6.3;8.0;10.0;12.5;16.0;20.0;25.0;31.5;40.0;50.0;63.0;80.0;100;"
    "125;160;";
constexpr const char* kVibrationThirdsHandArm =
    ";6.3;8.0;10.0;12.5;16.0;20.0;25.0;31.5;40.0;50.0;63.0;80.0;100;125;160;200;250;315;400;500;630;800;1.0k;"
    "1.25k;";
constexpr const char* kVibrationWeightedWholeBody = ";Fk;Fm;Wb;Wc;Wd;We;Wj;Wk;Wm";  // no ';' at the end
constexpr const char* kVibrationWeightedHandArm = ";Fh;Wh;";
constexpr const char* kSoundOctaves = ";31.5;63.0;125;250;500;1k;2.0k;4.0k;8.0k;16k;";
constexpr const char* kSoundThirds =
    ";25.0;31.5;40.0;50.0;63.0;80.0;100;125;160;200;250;315;400;500;0.63k;0.8k;1k;1.25k;1.6k;2.0k;2.5k;3.15k;"
    "4.0k;5.0k;6.3k;8.0k;10k;12.5k;16k;20k;";
constexpr const char* kSoundWeighted = ";C;A;Z;";
constexpr const char* kInfraOctaves = ";2.0;4.0;8.0;16;31.5;63.0;125;250;";
constexpr const char* kInfraThirds =
    ";1.6;2.0;2.5;3.15;4.0;5.0;6.3;8.0;10;12.5;16;20;25;31.5;40;50;63;80;100;125;160;200;250;315;";
constexpr const char* kInfraWeighted = ";A;Z;G;Fi;";
constexpr const char* kUltraThirds =
    ";50.0;63.0;80.0;100;125;160;200;250;315;400;500;0.63k;0.8k;1k;1.25k;1.6k;2.0k;2.5k;3.15k;4.0k;5.0k;6.3k;"
    "8.0k;10k;12.5k;16k;20k;25k;32k;40k;";
constexpr const char* kUltraWeighted = ";A;";
constexpr const char* kFieldWideBand = ";10k-30k;";

// Row labels of the sound-type band tables (fixed text); the weighted table adds "Peak".
constexpr const char* kSoundRows[] = {"Slow", "Slow min", "Slow max", "Fast", "Fast min", "Fast max",
                                      "Imp",  "Imp min",  "Imp max",  "Leq",  "Peak"};
// Word within a SoundLevel/Ultrasound band row for each row label.
constexpr int kSoundBandWords[] = {2, 8, 9, 1, 6, 7, 0, 4, 5, 3};
// Word within a SoundLevel weighted row for each row label (with "Peak").
constexpr int kSoundWeightedWords[] = {2, 10, 11, 1, 8, 9, 0, 6, 7, 3, 5};

constexpr const char* kInfraRows[] = {"Slow",      "Slow min",  "Slow max", "ESlow",
                                      "ESlow min", "ESlow max", "Leq"};
constexpr int kInfraWords[] = {0, 3, 4, 1, 5, 6, 2};

constexpr const char* kFieldRows[] = {"Fast", "Fast min", "Fast max"};

// Vibration band tables: ten rows, words for the octave value and for 1/3-octave s of the octave.
constexpr Word kVibrationBandRows[] = {Word::Rms1s,  Word::Min1s,       Word::Max1s,  Word::Rms5s,
                                       Word::Min5s,  Word::Max5s,       Word::Rms10s, Word::Min10s,
                                       Word::Max10s, Word::VibrationLeq};
constexpr int kVibrationOctaveWords[] = {0, 16, 17, 4, 24, 25, 8, 32, 33, 12};
inline int vibrationThirdWord(int row, int s) {
    constexpr int kBase[] = {1, 18, 19, 5, 26, 27, 9, 34, 35, 13};
    constexpr int kStep[] = {1, 2, 2, 1, 2, 2, 1, 2, 2, 1};
    return kBase[row] + kStep[row] * s;
}
constexpr Word kVibrationWeightedRows[] = {Word::Rms1s,        Word::Min1s,      Word::Max1s,  Word::Peak1s,
                                           Word::Rms5s,        Word::Min5s,      Word::Max5s,  Word::Peak5s,
                                           Word::Rms10s,       Word::Min10s,     Word::Max10s, Word::Peak10s,
                                           Word::VibrationLeq, Word::VibrationPk};
constexpr int kVibrationWeightedWords[] = {3, 8, 9, 0, 4, 10, 11, 1, 5, 12, 13, 2, 6, 7};

class Writer {
  public:
    Writer(std::string& out, const uint8_t* words, bool linear, double log10Reference)
        : out_(out), words_(words), linear_(linear), log10Reference_(log10Reference) {}

    std::string& out() { return out_; }
    void line(std::string_view text) {
        out_ += text;
        out_ += kEol;
    }
    void eol() { out_ += kEol; }

    void value(int word) {
        const double level = readU16(words_ + 2 * word) / 256.0;
        if (!linear_) {
            appendFixed(out_, level, 2);
        } else {
            // Engineering form: mantissa between 1 and 1000 and an exponent that is a multiple of 3.
            const double x = level / 20.0 + log10Reference_;
            const double e = std::floor(x);
            const double k = std::floor(e / 3.0);
            appendGeneral(out_, std::pow(10.0, x - 3.0 * k), 3);
            out_ += 'E';
            appendInt(out_, static_cast<long long>(3.0 * k));
        }
        out_ += ';';
    }

    // A table: title line, band header line, then one row per label with one value per band.
    template <class Label, class WordOf>
    void table(std::string_view title, const char* header, std::span<const Label> labels, int bands,
               WordOf wordOf) {
        out_ += title;
        out_ += ';';
        eol();
        line(header);
        for (size_t row = 0; row < labels.size(); ++row) {
            out_ += labels[row];
            out_ += ';';
            for (int band = 0; band < bands; ++band) value(wordOf(static_cast<int>(row), band));
            eol();
        }
    }

  private:
    std::string& out_;
    const uint8_t* words_;
    bool linear_;
    double log10Reference_;
};

}  // namespace

TextExporter::TextExporter(const Lexicon& lex) {
    for (size_t i = 0; i < kWordCount; ++i) words_[i] = lex.encoded(static_cast<Word>(i));
    overloudLower_ = toCodePage(toLowerText(lex.text(Word::Overloud)), lex.codePage());
    underrangeLower_ = toCodePage(toLowerText(lex.text(Word::Underrange)), lex.codePage());
}

void TextExporter::appendRecordLine(std::string& out, int r) const {
    out += kEol;
    out += word(Word::Record);
    out += "; ";
    appendInt(out, r);
    out += ';';
    out += kEol;
}

bool TextExporter::exportRecord(std::span<const uint8_t, kRecordSize> record, std::string& out, bool linear,
                                double log10Reference) const {
    const RecordHeader header = RecordHeader::decode(record.data());
    const auto dims = lookupRecordDimensions(header.deviceType);
    if (!dims) return false;
    const RecordDimensions& d = *dims;
    StatusTrailer trailer;
    RecordTail tail;
    decodeTrailerAndTail(record.data(), d, trailer, tail);
    Writer w(out, record.data() + kRecordHeaderSize, linear, log10Reference);

    // Header.
    out += "VIN:; ";
    appendHex8(out, header.vin);
    out += ';';
    w.eol();
    const CalendarTime when = header.dateTime();
    out += word(Word::Date);
    out += ":; ";
    appendDate(out, when);
    out += ';';
    w.eol();
    out += word(Word::Time);
    out += ":; ";
    appendTime(out, when);
    out += ';';
    w.eol();
    out += word(Word::Interval);
    out += ":; ";
    appendInt(out, tail.intervalHours);
    out += ':';
    appendInt(out, tail.intervalMinutes, 2);
    out += ':';
    appendInt(out, tail.intervalSeconds, 2);
    out += ';';
    w.eol();
    if (d.channels == 1) {
        out += word(Word::Range);
        out += ":; ";
        appendInt(out, tail.rangeIndex + 1);
        out += ';';
        w.eol();
    }
    w.eol();
    out += word(static_cast<Word>(static_cast<int>(Word::DeviceType0) + header.deviceType));
    out += ';';
    w.eol();
    w.eol();

    auto statusLine = [&](int ch) {
        const uint16_t overload = trailer.overloadStatus[ch];
        out += overload == 0   ? word(Word::NoOverflow)
               : overload == 1 ? overloudLower_
                               : word(Word::CurrentOverflow);
        out += "; ";
        if (trailer.underrangeStatus[ch] != 0) {
            out += underrangeLower_;
            out += "; ";
        }
        out += word(Word::CalibrationOffset);
        out += ": ";
        appendFixed(out, trailer.calibrationOffset[ch], 2);
        out += ';';
        w.eol();
    };

    std::array<std::string_view, 14> vibrationBandLabels{};
    std::array<std::string_view, 14> vibrationWeightedLabels{};
    const std::string thirdTitle = "1/3 " + word(Word::Octave);

    switch (d.group) {
        case ResultGroup::Vibration: {
            for (size_t i = 0; i < 10; ++i) vibrationBandLabels[i] = word(kVibrationBandRows[i]);
            for (size_t i = 0; i < 14; ++i) vibrationWeightedLabels[i] = word(kVibrationWeightedRows[i]);
            const std::span<const std::string_view> bandRows(vibrationBandLabels.data(), 10);
            const std::span<const std::string_view> weightedRows(vibrationWeightedLabels.data(), 14);
            for (int ch = 0; ch < d.channels; ++ch) {
                const int base = 446 * ch;
                if (d.channels > 1) {
                    out += word(Word::Channel);
                    out += ' ';
                    appendInt(out, ch + 1);
                    out += "; ";
                }
                statusLine(ch);
                w.table(word(Word::Octave),
                        d.wholeBody ? kVibrationOctavesWholeBody : kVibrationOctavesHandArm, bandRows, 8,
                        [&](int row, int i) { return base + 40 * i + kVibrationOctaveWords[row]; });
                w.eol();
                w.table(thirdTitle, d.wholeBody ? kVibrationThirdsWholeBody : kVibrationThirdsHandArm,
                        bandRows, 24,
                        [&](int row, int t) { return base + 40 * (t / 3) + vibrationThirdWord(row, t % 3); });
                w.eol();
                w.table(word(Word::WeightedLevels),
                        d.wholeBody ? kVibrationWeightedWholeBody : kVibrationWeightedHandArm, weightedRows,
                        d.weightedCount,
                        [&](int row, int k) { return base + 320 + 14 * k + kVibrationWeightedWords[row]; });
                w.eol();
            }
            break;
        }
        case ResultGroup::SoundLevel: {
            statusLine(0);
            const std::span<const char* const> bandRows(kSoundRows, 10);
            const std::span<const char* const> weightedRows(kSoundRows, 11);
            w.table(word(Word::OneOneOctaves), kSoundOctaves, bandRows, 10,
                    [](int row, int i) { return 10 * i + kSoundBandWords[row]; });
            w.eol();
            w.table(word(Word::OneThirdOctaves), kSoundThirds, bandRows, 30,
                    [](int row, int t) { return 10 * (10 + t) + kSoundBandWords[row]; });
            w.eol();
            w.table(word(Word::WeightedLevels), kSoundWeighted, weightedRows, 3,
                    [](int row, int k) { return 400 + 12 * k + kSoundWeightedWords[row]; });
            break;
        }
        case ResultGroup::Infrasound: {
            statusLine(0);
            const std::span<const char* const> rows(kInfraRows);
            w.table(word(Word::OneOneOctaves), kInfraOctaves, rows, 8,
                    [](int row, int i) { return 7 * i + kInfraWords[row]; });
            w.eol();
            w.table(word(Word::OneThirdOctaves), kInfraThirds, rows, 24,
                    [](int row, int t) { return 7 * (8 + t) + kInfraWords[row]; });
            w.eol();
            w.table(word(Word::WeightedLevels), kInfraWeighted, rows, 4,
                    [](int row, int k) { return 7 * (32 + k) + kInfraWords[row]; });
            break;
        }
        case ResultGroup::Ultrasound: {
            statusLine(0);
            const std::span<const char* const> rows(kSoundRows, 10);
            w.table(word(Word::OneThirdOctaves), kUltraThirds, rows, 30,
                    [](int row, int t) { return 10 * t + kSoundBandWords[row]; });
            w.eol();
            w.table(word(Word::WeightedLevels), kUltraWeighted, rows, 1,
                    [](int row, int) { return 300 + kSoundBandWords[row]; });
            break;
        }
        case ResultGroup::FieldStrength: {
            statusLine(0);
            const std::span<const char* const> rows(kFieldRows);
            std::string bandHeader = ";16.7";
            for (int k = 1; k < d.bands; ++k) {
                bandHeader += ';';
                appendInt(bandHeader, 25 * k);
            }
            bandHeader += ';';
            w.table(word(Word::Bands), bandHeader.c_str(), rows, d.bands,
                    [](int row, int k) { return 6 * k + row; });
            w.eol();
            w.table(word(Word::WeightedLevels), kFieldWideBand, rows, 1,
                    [](int row, int) { return 6 * (30 + 2) + row; });
            break;
        }
        case ResultGroup::LayoutOnly:
        case ResultGroup::None:
            break;
    }
    return true;
}

double log10Reference(DeviceType type) {
    const auto d = lookupRecordDimensions(type);
    return d ? std::log10(d->referenceValue) : 0.0;
}

Result<bool> exportRecordAsText(const File& source, uint64_t offset, std::string& out, bool linear,
                                double log10Ref, const TextExporter& exporter) {
    RecordBytes bytes;
    if (!source.readAt(offset, bytes.data(), bytes.size()))
        return fail("The record at offset " + std::to_string(offset) + " cannot be read");
    return exporter.exportRecord(bytes, out, linear, log10Ref);
}

Status translateBinToText(const BinFile& file, TextWriter& out, bool linear, const TextExporter& exporter) {
    RecordBytes bytes;
    const int count = file.recordCount();
    for (int r = 1; r <= count; ++r) {
        if (count > 1) exporter.appendRecordLine(out.buffer(), r);
        if (auto s = file.ReadRecordBytes(r, bytes); !s) return s;
        const DeviceType type = RecordHeader::decode(bytes.data()).deviceType;
        exporter.exportRecord(bytes, out.buffer(), linear, log10Reference(type));
        out.maybeFlush();
        if (out.failed()) break;
    }
    if (!out.flush()) return fail("Can't write the text output");
    return {};
}

}  // namespace k470
