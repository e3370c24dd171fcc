// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/sdt_conversion.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "data/signal_limits.h"

namespace k470 {

namespace {

// Values per piece: a multiple of 1, 2 and 3, so a piece always holds whole frames.
constexpr size_t kPieceValues = 48000;

Error cancelledError() {
    return fail(Word::ConversionCancelled);
}

std::string numbered(const std::string& base, const char* infix, uint32_t n, const char* ext) {
    std::string s = base + infix;
    appendInt(s, n);
    return s + ext;
}

std::string channelFileName(const std::string& base, int k, uint32_t n) {
    std::string s = base + "_ch";
    appendInt(s, k + 1);
    if (n != 0) {
        s += '_';
        appendInt(s, n);
    }
    return s + ".wav";
}

// Channels present by the mask (bits 0..2), lowest first; a channel's column is its place in this list.
std::vector<int> presentChannels(const SdtHeader& h) {
    std::vector<int> ks;
    for (int k = 0; k < 3; ++k)
        if (h.channelMask & (1u << k)) ks.push_back(k);
    return ks;
}

uint32_t countSelected(const DirectoryWalk& walk, const RecordSelection& selection) {
    uint32_t n = 0;
    for (const IndexedEntry& e : walk.entries)
        if (selection.selected(e.ordinal)) ++n;
    return n;
}

void appendTwoDigits(std::string& s, int v) {
    appendInt(s, v, 2);
}

}  // namespace

std::string signalBaseName(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t sep = path.find_last_of("/\\");
    if (dot == std::string::npos || dot < 1 || (sep != std::string::npos && dot < sep)) return path;
    return path.substr(0, dot);
}

namespace {

// The 0 dB reference of the channel at a position of the record's frames.
double referenceAt(const SdtContainer& source, const SignalRecord& record, int column) {
    for (int k = 0, seen = 0; k < 3; ++k)
        if (record.channelMask & (1u << k) && seen++ == column) return source.header().referenceValue[k];
    return 0.0;
}

// Fails at the first sample of the target's channel in this piece that no analysis would take (NaN,
// infinite, far beyond the channel's reference): such a record is not converted at all, rather than
// turned into a WAV of infinities or one normalised to nothing.
Status checkPiece(const SdtContainer& source, const SignalRecord& record, const WavChannelTarget& t,
                  const double* v, size_t frames, size_t stride, uint64_t at) {
    const double reference = referenceAt(source, record, t.column);
    for (size_t f = 0; f < frames; ++f)
        if (!sampleInRange(v[f * stride], reference))
            return sampleOutOfRange(v[f * stride], at + f + 1, static_cast<int>(record.ordinal) + 1);
    return {};
}

// How a target's samples are scaled: mean 0 and gain 1 unless normalised.
struct ChannelScale {
    double lo = 0.0, hi = 0.0, sum = 0.0, mean = 0.0, gain = 1.0;
    double peak = 0.0;  // the largest excursion from the mean
    bool silent = false;
};

// The first pass of a normalised conversion: each target's mean and the gain that brings its largest
// excursion from the mean to 0.5. `done` is told the frames read so far and cancels by returning false.
Result<std::vector<ChannelScale>> measureScales(const SdtContainer& source, const SignalRecord& record,
                                                std::span<const WavChannelTarget> targets,
                                                std::vector<double>& in,
                                                const std::function<bool(uint64_t)>& done) {
    const size_t stride = static_cast<size_t>(record.channelCount);
    const uint64_t frames = record.frameCount();
    const size_t piece = kPieceValues / stride;
    std::vector<ChannelScale> scale(targets.size());
    if (frames == 0) return scale;
    for (uint64_t at = 0; at < frames;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - at));
        if (!readDoubles(source.file(), record.dataOffset() + at * record.frameBytes(), in.data(),
                         n * stride))
            return fail(Word::CantReadSamples, {source.path()});
        for (size_t ti = 0; ti < targets.size(); ++ti) {
            if (!targets[ti].status) continue;
            ChannelScale& sc = scale[ti];
            const double* v = in.data() + targets[ti].column;
            if (Status ok = checkPiece(source, record, targets[ti], v, n, stride, at); !ok) return ok.error();
            if (at == 0) sc.lo = sc.hi = v[0];  // min and max start at the record's first value
            double lo = sc.lo, hi = sc.hi, sum = sc.sum;
            for (size_t f = 0; f < n; ++f) {
                const double x = v[f * stride];
                if (x > hi) hi = x;
                if (x < lo) lo = x;
                sum += x;
            }
            sc.lo = lo;
            sc.hi = hi;
            sc.sum = sum;
        }
        at += n;
        if (!done(at)) return cancelledError();
    }
    for (ChannelScale& sc : scale) {
        sc.mean = sc.sum / static_cast<double>(frames);
        // All values equal: no peak to scale to, the channel is silent.
        sc.silent = sc.hi == sc.lo;
        sc.peak = std::max(std::fabs(sc.hi - sc.mean), std::fabs(sc.lo - sc.mean));
        if (!sc.silent) sc.gain = 0.5 / sc.peak;
    }
    return scale;
}

}  // namespace

Status writeChannelsToWav(const SdtContainer& source, const SignalRecord& record,
                          std::span<WavChannelTarget> targets, bool normalize,
                          const std::function<bool(int)>& progress) {
    const size_t stride = static_cast<size_t>(record.channelCount);
    if (stride == 0) return {};
    const uint64_t frames = record.frameCount();
    const size_t piece = kPieceValues / stride;  // frames per piece
    // A record shorter than a piece needs buffers of its own length only.
    const size_t buffered = static_cast<size_t>(std::min<uint64_t>(piece, frames));
    std::vector<double> in(buffered * stride);
    std::vector<float> out(buffered);
    const int passes = normalize ? 2 : 1;
    const auto report = [&](int pass, uint64_t done) {
        if (!progress) return true;
        const double part =
            (static_cast<double>(pass) + static_cast<double>(done) / static_cast<double>(frames)) / passes;
        return progress(static_cast<int>(std::floor(part * 100.0 + 0.5)));
    };
    for (WavChannelTarget& t : targets)
        if (t.column < 0 || static_cast<size_t>(t.column) >= stride) t.status = fail(Word::NoSuchChannel);

    std::vector<ChannelScale> scale(targets.size());
    if (normalize) {
        auto measured =
            measureScales(source, record, targets, in, [&](uint64_t done) { return report(0, done); });
        if (!measured) return measured.error();
        scale = std::move(*measured);
    }
    for (uint64_t done = 0; done < frames;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
        if (!readDoubles(source.file(), record.dataOffset() + done * record.frameBytes(), in.data(),
                         n * stride))
            return fail(Word::CantReadSamples, {source.path()});
        for (size_t ti = 0; ti < targets.size(); ++ti) {
            WavChannelTarget& t = targets[ti];
            if (!t.status) continue;
            const ChannelScale& sc = scale[ti];
            const double* v = in.data() + t.column;
            if (!normalize)  // a normalised conversion checked every sample in its first pass
                if (Status ok = checkPiece(source, record, t, v, n, stride, done); !ok) return ok;
            if (sc.silent) {
                std::fill_n(out.begin(), n, 0.0f);
            } else if (!normalize) {
                for (size_t f = 0; f < n; ++f) out[f] = static_cast<float>(v[f * stride]);
            } else if (std::isfinite(sc.gain)) {
                const double mean = sc.mean, gain = sc.gain;
                for (size_t f = 0; f < n; ++f) out[f] = static_cast<float>((v[f * stride] - mean) * gain);
            } else {
                // Excursions so small (subnormal values) that 0.5 / peak overflows: divided by the peak.
                const double mean = sc.mean, peak = sc.peak;
                for (size_t f = 0; f < n; ++f)
                    out[f] = static_cast<float>((v[f * stride] - mean) / peak * 0.5);
            }
            t.status = t.dataPosition ? t.writer->WriteAt(*t.dataPosition + done * sizeof(float), out.data(),
                                                          n * sizeof(float))
                                      : t.writer->Write(out.data(), n * sizeof(float));
        }
        done += n;
        if (!report(passes - 1, done)) return cancelledError();
    }
    return {};
}

Status writeChannelToWav(const SdtContainer& source, const SignalRecord& record, WavFileWriter& writer,
                         int column, bool normalize, const std::function<bool(int)>& progress) {
    WavChannelTarget target{column, &writer, std::nullopt, {}};
    if (auto s =
            writeChannelsToWav(source, record, std::span<WavChannelTarget>(&target, 1), normalize, progress);
        !s)
        return s;
    return target.status;
}

namespace {

// One file's conversion to WAV: the outputs of its records by the saving mode, and the report of what was
// written and what is missing.
class WavConversion {
  public:
    WavConversion(SdtContainer& sdt, const std::string& path, const TranslationParameters& parameters,
                  WavFormat format, uint32_t records, const ConversionProgressFn& progress)
        : sdt_(sdt),
          base_(signalBaseName(path)),
          channels_(presentChannels(sdt.header())),
          format_(format),
          parameters_(parameters),
          keep_(parameters.keep),
          records_(records),
          progress_(progress) {
        keep_.push_back(path);
    }

    ConversionReport& report() { return report_; }

    // FilePerChannel: the channels' files stay open over all records.
    void openChannelFiles() {
        for (int k : channels_) {
            const std::string name = channelFileName(base_, k, 0);
            channelStatus_[k] = channelFiles_[k].Open(name, format_, keep_);
            if (!channelStatus_[k]) openFailed(name, channelStatus_[k]);
        }
    }
    void closeChannelFiles() {
        for (int k : channels_)
            if (channelFiles_[k].isOpen()) finish(channelFiles_[k], channelStatus_[k]);
    }

    // The next selected record.
    void convert(const IndexedEntry& e) {
        auto record = SignalRecord::From(sdt_, e);
        if (!record) {
            report_.problems.push_back(record.error());
            if (parameters_.savingMode == SavingMode::SeparateFiles)
                for (int k : channels_) report_.missing.push_back(channelFileName(base_, k, n_ + 1));
            if (parameters_.savingMode == SavingMode::FilePerRecord)
                report_.missing.push_back(numbered(base_, "_", n_ + 1, ".wav"));
        } else {
            switch (parameters_.savingMode) {
                case SavingMode::SeparateFiles:
                    intoSeparateFiles(*record);
                    break;
                case SavingMode::FilePerChannel:
                    intoChannelFiles(*record);
                    break;
                case SavingMode::FilePerRecord:
                    intoRecordFile(*record);
                    break;
            }
        }
        ++n_;
    }

  private:
    // One file per channel, all filled in the same pass over the record.
    void intoSeparateFiles(const SignalRecord& record) {
        std::array<WavFileWriter, 3> writers;
        std::vector<WavChannelTarget> targets;
        for (size_t column = 0; column < channels_.size(); ++column) {
            const std::string name = channelFileName(base_, channels_[column], n_ + 1);
            if (auto s = writers[column].Open(name, format_, keep_); !s) {
                openFailed(name, s);
                continue;
            }
            targets.push_back({static_cast<int>(column), &writers[column], std::nullopt, {}});
        }
        const Status s = write(record, targets);
        for (WavChannelTarget& t : targets) finish(*t.writer, s ? t.status : s);
    }

    void intoChannelFiles(const SignalRecord& record) {
        std::vector<WavChannelTarget> targets;
        for (size_t column = 0; column < channels_.size(); ++column) {
            const int k = channels_[column];
            if (channelFiles_[k].isOpen() && channelStatus_[k])
                targets.push_back({static_cast<int>(column), &channelFiles_[k], std::nullopt, {}});
        }
        const Status s = write(record, targets);
        for (const WavChannelTarget& t : targets)
            channelStatus_[channels_[static_cast<size_t>(t.column)]] = s ? t.status : s;
    }

    // One mono file: all samples of the lowest channel, then those of the next, each channel written at its
    // own place of the data chunk in the same pass.
    void intoRecordFile(const SignalRecord& record) {
        WavFileWriter w;
        const std::string name = numbered(base_, "_", n_ + 1, ".wav");
        if (auto s = w.Open(name, format_, keep_); !s) {
            openFailed(name, s);
            return;
        }
        std::vector<WavChannelTarget> targets;
        const uint64_t channelBytes = uint64_t{record.frameCount()} * sizeof(float);
        for (size_t column = 0; column < channels_.size(); ++column)
            targets.push_back({static_cast<int>(column), &w, column * channelBytes, {}});
        Status s = write(record, targets);
        for (const WavChannelTarget& t : targets)
            if (s && !t.status) s = t.status;
        finish(w, s);
    }

    Status write(const SignalRecord& record, std::span<WavChannelTarget> targets) {
        return writeChannelsToWav(sdt_, record, targets, parameters_.normalize, [this](int percent) {
            if (progress_ && !progress_({n_, records_, percent})) {
                report_.cancelled = true;
                return false;
            }
            return true;
        });
    }

    // Closes a writer and files its output as written or missing.
    // Puts a whole file in place; one whose channel failed (a read error, a sample out of range) is dropped,
    // so that every file a conversion leaves is whole.
    void finish(WavFileWriter& w, Status status) {
        const std::string name = w.path();
        if (!status) w.Discard();
        Status closed = w.Close();
        if (status && closed) {
            report_.written.push_back(name);
            return;
        }
        report_.missing.push_back(name);
        if (!report_.cancelled) report_.problems.push_back(status ? closed.error() : status.error());
    }

    void openFailed(const std::string& name, const Status& s) {
        report_.missing.push_back(name);
        report_.problems.push_back(s.error());
    }

    SdtContainer& sdt_;
    const std::string base_;
    const std::vector<int> channels_;
    const WavFormat format_;
    const TranslationParameters& parameters_;
    std::vector<std::string> keep_;  // the outputs never replace these, the input included
    const uint32_t records_;
    const ConversionProgressFn& progress_;
    ConversionReport report_;
    uint32_t n_ = 0;  // selected records so far
    std::array<WavFileWriter, 3> channelFiles_;
    std::array<Status, 3> channelStatus_;
};

}  // namespace

Result<ConversionReport> ConvertSdtToWav(const std::string& path, const RecordSelection& selection,
                                         const TranslationParameters& parameters,
                                         const ConversionProgressFn& progress) {
    auto sdt = SdtContainer::Open(path, File::Mode::Read);
    if (!sdt) return sdt.error();
    const SdtHeader& h = sdt->header();
    const double rate = parameters.playbackRate == PlaybackRate::Rate24k   ? 24000.0
                        : parameters.playbackRate == PlaybackRate::Rate48k ? 48000.0
                                                                           : h.sampleRate;
    const double samplesPerSecond = std::floor(rate + 0.5);
    if (!(samplesPerSecond >= 1.0 && samplesPerSecond <= 1073741823.0))
        return fail(Word::SampleRateGivesNoWavRate, {path, formatGeneral(h.sampleRate, 10)});
    const DirectoryWalk walk = sdt->walkEntries();
    WavConversion c(*sdt, path, parameters, WavFormat::FloatMono(static_cast<uint32_t>(samplesPerSecond)),
                    countSelected(walk, selection), progress);
    if (walk.problem) c.report().problems.push_back(*walk.problem);
    if (parameters.savingMode == SavingMode::FilePerChannel) c.openChannelFiles();
    for (const IndexedEntry& e : walk.entries) {
        if (c.report().cancelled) break;
        if (selection.selected(e.ordinal)) c.convert(e);
    }
    c.closeChannelFiles();
    return std::move(c.report());
}

namespace {

// The lines above a record's table: the file's full path, the record's date and time, the column heading.
void appendRecordHeading(std::string& text, const std::string& fullPath, const DirectoryEntry& entry,
                         const std::string& heading) {
    text += fullPath;
    text += "\r\n";
    const CalendarTime t = unpackEntry(entry.date, entry.time);
    appendTwoDigits(text, t.day);
    text += '/';
    appendTwoDigits(text, t.month);
    text += '/';
    appendTwoDigits(text, ((t.year % 100) + 100) % 100);
    text += ',';
    appendTwoDigits(text, t.hours);
    text += ':';
    appendTwoDigits(text, t.minutes);
    text += ':';
    appendTwoDigits(text, t.seconds);
    text += "\r\n";
    text += heading;
}

// The column heading: the time, then each present channel with its unit.
std::string tableHeading(const SdtHeader& h, CodePage codePage) {
    std::string heading = "T[sec]\t";
    for (int k : presentChannels(h)) {
        heading += "ch";
        appendInt(heading, k + 1);
        heading += '[' + toCodePage(utf16ToUtf8(h.units[k]), codePage) + "]\t";
    }
    return heading + "\r\n";
}

enum class TableEnd { Complete, ReadFailed, OutOfRange, Cancelled };

// The rows of a record's table: the time and the values of a frame each. `percent` is told how far it
// has come after each piece and cancels by returning false. A sample that no analysis would take (NaN,
// infinite, far beyond its channel's reference) ends the table, with the reason in outOfRange.
TableEnd appendRecordTable(TextWriter& w, const SdtContainer& sdt, const SignalRecord& record, size_t stride,
                           const std::function<bool(int)>& percent, std::optional<Error>& outOfRange) {
    std::string& text = w.buffer();
    const double rate = sdt.header().sampleRate;
    const uint64_t frames = stride == 0 ? 0 : record.frameCount();
    const size_t piece = stride == 0 ? 0 : kPieceValues / stride;
    std::vector<double> in(static_cast<size_t>(std::min<uint64_t>(kPieceValues, frames * stride)));
    for (uint64_t done = 0; done < frames;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
        if (!readDoubles(sdt.file(), record.dataOffset() + done * record.frameBytes(), in.data(),
                         count * stride))
            return TableEnd::ReadFailed;
        for (size_t c = 0; c < stride; ++c)
            for (size_t f = 0; f < count; ++f)
                if (const double v = in[f * stride + c];
                    !sampleInRange(v, referenceAt(sdt, record, int(c)))) {
                    outOfRange = sampleOutOfRange(v, done + f + 1, static_cast<int>(record.ordinal) + 1);
                    return TableEnd::OutOfRange;
                }
        for (size_t f = 0; f < count; ++f) {
            appendGeneral(text, static_cast<double>(done + f) / rate, 10);
            text += '\t';
            const double* v = in.data() + f * stride;
            for (size_t i = 0; i + 1 < stride; ++i) {
                appendGeneral(text, v[i], 10);
                text += '\t';
            }
            appendGeneral(text, v[stride - 1], 10);
            text += "\r\n";
            w.maybeFlush();
        }
        done += count;
        if (!percent(static_cast<int>(
                std::floor(static_cast<double>(done) * 100.0 / static_cast<double>(frames) + 0.5))))
            return TableEnd::Cancelled;
    }
    return TableEnd::Complete;
}

}  // namespace

Result<ConversionReport> ConvertSdtToText(const std::string& path, const RecordSelection& selection,
                                          const ConversionProgressFn& progress,
                                          std::span<const std::string> keep) {
    auto sdt = SdtContainer::Open(path, File::Mode::Read);
    if (!sdt) return sdt.error();
    const SdtHeader& h = sdt->header();
    const CodePage codePage = lexicon().codePage();
    const std::string base = signalBaseName(path);
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::string fullPath = toCodePage(ec ? path : full.string(), codePage);
    const std::string heading = tableHeading(h, codePage);

    std::vector<std::string> guarded(keep.begin(), keep.end());
    guarded.push_back(path);
    ConversionReport report;
    const DirectoryWalk walk = sdt->walkEntries();
    if (walk.problem) report.problems.push_back(*walk.problem);
    const uint32_t records = countSelected(walk, selection);
    const size_t stride = static_cast<size_t>(h.presentChannels());
    uint32_t n = 0;
    for (const IndexedEntry& e : walk.entries) {
        if (report.cancelled) break;
        if (!selection.selected(e.ordinal)) continue;
        ++n;
        const std::string name = numbered(base, "_", n, ".txt");
        auto record = SignalRecord::From(*sdt, e);
        Status opened = record ? refuseOutputOverInput(name, guarded) : Status(record.error());
        auto out = opened ? OutputFile::Create(name) : Result<OutputFile>(opened.error());
        if (!out) {
            report.missing.push_back(name);
            report.problems.push_back(out.error());
            continue;
        }
        TableEnd end = TableEnd::Complete;
        bool ok = false;
        std::optional<Error> writeError, outOfRange;
        {
            TextWriter w(out->file());
            appendRecordHeading(w.buffer(), fullPath, e.entry, heading);
            end = appendRecordTable(
                w, *sdt, *record, stride,
                [&](int percent) {
                    return !progress || progress({n - 1, records, percent});
                },
                outOfRange);
            if (end == TableEnd::ReadFailed) report.problems.push_back(fail(Word::CantReadSamples, {path}));
            if (end == TableEnd::OutOfRange) report.problems.push_back(*outOfRange);
            if (end == TableEnd::Cancelled) report.cancelled = true;
            ok = w.flush() && end == TableEnd::Complete;
            if (w.failed()) writeError = fail(lexicon().cantWriteFile(name), std::strerror(w.error()));
        }
        if (ok) {
            if (auto s = out->Commit(); s) {
                report.written.push_back(name);
                continue;
            } else {
                writeError = s.error();
            }
        }
        // Nothing of a text that failed stays behind, and an earlier file of that name is kept.
        out->Discard();
        report.missing.push_back(name);
        if (!report.cancelled && end != TableEnd::ReadFailed && end != TableEnd::OutOfRange)
            report.problems.push_back(writeError ? *writeError : fail(lexicon().cantWriteFile(name)));
    }
    return report;
}

}  // namespace k470
