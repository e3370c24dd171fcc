// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/text_export.h"

#include <cmath>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/text_encoding.h"
#include "data/record_layout.h"

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

}  // namespace

// Appends the lines and values of one record.
class RecordTextWriter {
  public:
    RecordTextWriter(std::string& out, const uint8_t* words, bool linear, double log10Reference)
        : out_(out), words_(words), linear_(linear), log10Reference_(log10Reference) {}

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
    template <class LabelOf, class WordOf>
    void table(std::string_view title, std::string_view header, int rows, int bands, LabelOf labelOf,
               WordOf wordOf) {
        out_ += title;
        out_ += ';';
        eol();
        line(header);
        for (int row = 0; row < rows; ++row) {
            out_ += labelOf(row);
            out_ += ';';
            for (int band = 0; band < bands; ++band) value(wordOf(row, band));
            eol();
        }
    }

  private:
    std::string& out_;
    const uint8_t* words_;
    bool linear_;
    double log10Reference_;
};

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

namespace {

// The band header line of a table, exactly as spreadsheets of earlier exports expect it.
std::string_view bandHeader(const RecordLayout& layout, LevelTableKind kind, std::string& fieldBands) {
    using K = LevelTableKind;
    const bool wb = layout.wholeBody;
    switch (layout.group) {
        case ResultGroup::Vibration:
            return kind == K::Octaves  ? (wb ? kVibrationOctavesWholeBody : kVibrationOctavesHandArm)
                   : kind == K::Thirds ? (wb ? kVibrationThirdsWholeBody : kVibrationThirdsHandArm)
                                       : (wb ? kVibrationWeightedWholeBody : kVibrationWeightedHandArm);
        case ResultGroup::SoundLevel:
            return kind == K::Octaves ? kSoundOctaves : kind == K::Thirds ? kSoundThirds : kSoundWeighted;
        case ResultGroup::Infrasound:
            return kind == K::Octaves ? kInfraOctaves : kind == K::Thirds ? kInfraThirds : kInfraWeighted;
        case ResultGroup::Ultrasound:
            return kind == K::Thirds ? kUltraThirds : kUltraWeighted;
        case ResultGroup::FieldStrength:
            if (kind == K::Weighted) return kFieldWideBand;
            fieldBands = ";16.7";
            for (int k = 1; k < layout.tableSlots[0].bands; ++k) {
                fieldBands += ';';
                appendInt(fieldBands, 25 * k);
            }
            fieldBands += ';';
            return fieldBands;
        default:
            return {};
    }
}

}  // namespace

std::string TextExporter::tableTitle(const RecordLayout& layout, LevelTableKind kind) const {
    if (layout.group == ResultGroup::Vibration) {
        if (kind == LevelTableKind::Octaves) return word(Word::Octave);
        if (kind == LevelTableKind::Thirds) return "1/3 " + word(Word::Octave);
    }
    switch (kind) {
        case LevelTableKind::Octaves:
            return word(Word::OneOneOctaves);
        case LevelTableKind::Thirds:
            return word(Word::OneThirdOctaves);
        case LevelTableKind::Bands:
            return word(Word::Bands);
        case LevelTableKind::Weighted:
            break;
    }
    return word(Word::WeightedLevels);
}

std::string_view TextExporter::rowLabel(ResultGroup group, int parameter) const {
    const auto p = static_cast<size_t>(parameter);
    switch (group) {
        case ResultGroup::Vibration:
            return word(kVibrationParameterWords[p]);
        case ResultGroup::Infrasound:
            return kInfraParameterNames[p];
        case ResultGroup::FieldStrength:
            return kFieldParameterNames[p];
        default:
            return kSoundParameterNames[p];
    }
}

// The tables of one channel; an empty line follows each but the last, and for the vibration meters the last
// too.
void TextExporter::writeTables(RecordTextWriter& w, const RecordLayout& layout, int channel) const {
    std::string fieldBands;
    const auto tables = layout.tables();
    for (size_t t = 0; t < tables.size(); ++t) {
        const LevelTableShape& shape = tables[t];
        const ResultGroup g = layout.group;
        w.table(
            tableTitle(layout, shape.kind), bandHeader(layout, shape.kind, fieldBands), shape.parameters,
            shape.bands, [&](int row) { return rowLabel(g, parameterOfRow(g, shape.kind, row)); },
            [&](int row, int band) {
                return levelWordIndex(g, shape.kind, channel, parameterOfRow(g, shape.kind, row), band);
            });
        if (t + 1 < tables.size() || g == ResultGroup::Vibration) w.eol();
    }
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
    RecordTextWriter w(out, record.data() + kRecordHeaderSize, linear, log10Reference);

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
    appendInterval(out, tail);
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

    const RecordLayout layout = recordLayout(header.deviceType);
    const int channelBlocks = layout.group == ResultGroup::Vibration ? d.channels : 1;
    for (int ch = 0; ch < channelBlocks; ++ch) {
        if (layout.group == ResultGroup::Vibration && d.channels > 1) {
            out += word(Word::Channel);
            out += ' ';
            appendInt(out, ch + 1);
            out += "; ";
        }
        if (layout.tableCount > 0) statusLine(ch);
        writeTables(w, layout, ch);
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
        return fail(Word::RecordCannotBeRead, {std::to_string(offset)});
    return exporter.exportRecord(bytes, out, linear, log10Ref);
}

Status translateBinToText(const BinFile& file, TextWriter& out, bool linear, const TextExporter& exporter) {
    BinRecordReader reader(file);
    const int count = file.recordCount();
    for (int r = 1; r <= count; ++r) {
        if (count > 1) exporter.appendRecordLine(out.buffer(), r);
        auto bytes = reader.Record(r);
        if (!bytes) return bytes.error();
        const DeviceType type = RecordHeader::decode(bytes->data()).deviceType;
        exporter.exportRecord(*bytes, out.buffer(), linear, log10Reference(type));
        out.maybeFlush();
        if (out.failed()) break;
    }
    if (!out.flush()) return fail("Can't write the text output");
    return {};
}

}  // namespace k470
