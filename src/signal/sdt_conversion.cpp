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

Status writeChannelsToWav(const SdtContainer& source, const SignalRecord& record,
                          std::span<WavChannelTarget> targets, bool normalize,
                          const std::function<bool(int)>& progress) {
    const size_t stride = static_cast<size_t>(record.channelCount);
    if (stride == 0) return {};
    const uint64_t frames = record.frameCount();
    const size_t piece = kPieceValues / stride;  // frames per piece
    std::vector<double> in(kPieceValues);
    std::vector<float> out(piece);
    const File& file = source.file();
    const auto readError = [&] { return fail(Word::CantReadSamples, {source.path()}); };
    const int passes = normalize ? 2 : 1;
    const auto report = [&](int pass, uint64_t done) {
        if (!progress) return true;
        const double part =
            (static_cast<double>(pass) + static_cast<double>(done) / static_cast<double>(frames)) / passes;
        return progress(static_cast<int>(std::floor(part * 100.0 + 0.5)));
    };
    for (WavChannelTarget& t : targets)
        if (t.column < 0 || static_cast<size_t>(t.column) >= stride) t.status = fail(Word::NoSuchChannel);

    // Per target: mean 0 and gain 1 unless normalised.
    struct Scale {
        double lo = 0.0, hi = 0.0, sum = 0.0, mean = 0.0, gain = 1.0;
        bool silent = false;
    };
    std::vector<Scale> scale(targets.size());
    if (normalize && frames > 0) {
        for (uint64_t done = 0; done < frames;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
            if (!readDoubles(file, record.dataOffset() + done * record.frameBytes(), in.data(), n * stride))
                return readError();
            for (size_t ti = 0; ti < targets.size(); ++ti) {
                if (!targets[ti].status) continue;
                Scale& sc = scale[ti];
                const double* v = in.data() + targets[ti].column;
                if (done == 0) sc.lo = sc.hi = v[0];  // min and max start at the record's first value
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
            done += n;
            if (!report(0, done)) return cancelledError();
        }
        for (Scale& sc : scale) {
            sc.mean = sc.sum / static_cast<double>(frames);
            // All values equal: no peak to scale to, the channel is silent.
            sc.silent = sc.hi == sc.lo;
            if (!sc.silent) sc.gain = 0.5 / std::max(std::fabs(sc.hi - sc.mean), std::fabs(sc.lo - sc.mean));
        }
    }
    for (uint64_t done = 0; done < frames;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
        if (!readDoubles(file, record.dataOffset() + done * record.frameBytes(), in.data(), n * stride))
            return readError();
        for (size_t ti = 0; ti < targets.size(); ++ti) {
            WavChannelTarget& t = targets[ti];
            if (!t.status) continue;
            const Scale& sc = scale[ti];
            const double* v = in.data() + t.column;
            if (sc.silent) {
                std::fill_n(out.begin(), n, 0.0f);
            } else if (!normalize) {
                for (size_t f = 0; f < n; ++f) out[f] = static_cast<float>(v[f * stride]);
            } else {
                const double mean = sc.mean, gain = sc.gain;
                for (size_t f = 0; f < n; ++f) out[f] = static_cast<float>((v[f * stride] - mean) * gain);
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
    const WavFormat format = WavFormat::FloatMono(static_cast<uint32_t>(samplesPerSecond));
    const std::string base = signalBaseName(path);
    const std::vector<int> channels = presentChannels(h);
    std::vector<std::string> keep = parameters.keep;
    keep.push_back(path);

    ConversionReport report;
    const DirectoryWalk walk = sdt->walkEntries();
    if (walk.problem) report.problems.push_back(*walk.problem);
    const uint32_t records = countSelected(walk, selection);
    uint32_t n = 0;
    const auto onPercent = [&](int percent) {
        if (progress && !progress({n, records, percent})) {
            report.cancelled = true;
            return false;
        }
        return true;
    };
    // Closes a writer and files its output as written or missing.
    const auto finish = [&](WavFileWriter& w, Status status) {
        const std::string name = w.path();
        Status closed = w.Close();
        if (status && closed) {
            report.written.push_back(name);
            return;
        }
        report.missing.push_back(name);
        if (!report.cancelled) report.problems.push_back(status ? closed.error() : status.error());
    };
    const auto openFailed = [&](const std::string& name, const Status& s) {
        report.missing.push_back(name);
        report.problems.push_back(s.error());
    };

    std::array<WavFileWriter, 3> perChannel;
    std::array<Status, 3> perChannelStatus;
    if (parameters.savingMode == SavingMode::FilePerChannel) {
        for (int k : channels) {
            const std::string name = channelFileName(base, k, 0);
            perChannelStatus[k] = perChannel[k].Open(name, format, keep);
            if (!perChannelStatus[k]) openFailed(name, perChannelStatus[k]);
        }
    }
    for (const IndexedEntry& e : walk.entries) {
        if (report.cancelled) break;
        if (!selection.selected(e.ordinal)) continue;
        auto record = SignalRecord::From(*sdt, e);
        if (!record) {
            report.problems.push_back(record.error());
            if (parameters.savingMode == SavingMode::SeparateFiles)
                for (int k : channels) report.missing.push_back(channelFileName(base, k, n + 1));
            if (parameters.savingMode == SavingMode::FilePerRecord)
                report.missing.push_back(numbered(base, "_", n + 1, ".wav"));
            ++n;
            continue;
        }
        const bool normalize = parameters.normalize;
        switch (parameters.savingMode) {
            case SavingMode::SeparateFiles: {
                // One file per channel, all filled in the same pass over the record.
                std::array<WavFileWriter, 3> writers;
                std::vector<WavChannelTarget> targets;
                for (size_t column = 0; column < channels.size(); ++column) {
                    const std::string name = channelFileName(base, channels[column], n + 1);
                    if (auto s = writers[column].Open(name, format, keep); !s) {
                        openFailed(name, s);
                        continue;
                    }
                    targets.push_back({static_cast<int>(column), &writers[column], std::nullopt, {}});
                }
                const Status s = writeChannelsToWav(*sdt, *record, targets, normalize, onPercent);
                for (WavChannelTarget& t : targets) finish(*t.writer, s ? t.status : s);
                break;
            }
            case SavingMode::FilePerChannel: {
                std::vector<WavChannelTarget> targets;
                for (size_t column = 0; column < channels.size(); ++column) {
                    const int k = channels[column];
                    if (perChannel[k].isOpen() && perChannelStatus[k])
                        targets.push_back({static_cast<int>(column), &perChannel[k], std::nullopt, {}});
                }
                const Status s = writeChannelsToWav(*sdt, *record, targets, normalize, onPercent);
                for (const WavChannelTarget& t : targets) {
                    const int k = channels[static_cast<size_t>(t.column)];
                    perChannelStatus[k] = s ? t.status : s;
                }
                break;
            }
            case SavingMode::FilePerRecord: {
                // One mono file: all samples of the lowest channel, then those of the next, each channel
                // written at its own place of the data chunk in the same pass.
                WavFileWriter w;
                const std::string name = numbered(base, "_", n + 1, ".wav");
                if (auto s = w.Open(name, format, keep); !s) {
                    openFailed(name, s);
                    break;
                }
                std::vector<WavChannelTarget> targets;
                const uint64_t channelBytes = uint64_t{record->frameCount()} * sizeof(float);
                for (size_t column = 0; column < channels.size(); ++column)
                    targets.push_back({static_cast<int>(column), &w, column * channelBytes, {}});
                Status s = writeChannelsToWav(*sdt, *record, targets, normalize, onPercent);
                for (const WavChannelTarget& t : targets)
                    if (s && !t.status) s = t.status;
                finish(w, s);
                break;
            }
        }
        ++n;
    }
    for (int k : channels)
        if (perChannel[k].isOpen()) finish(perChannel[k], perChannelStatus[k]);
    return report;
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
    std::string heading = "T[sec]\t";
    for (int k : presentChannels(h)) {
        heading += "ch";
        appendInt(heading, k + 1);
        heading += '[' + toCodePage(utf16ToUtf8(h.units[k]), codePage) + "]\t";
    }
    heading += "\r\n";

    std::vector<std::string> guarded(keep.begin(), keep.end());
    guarded.push_back(path);
    ConversionReport report;
    const DirectoryWalk walk = sdt->walkEntries();
    if (walk.problem) report.problems.push_back(*walk.problem);
    const uint32_t records = countSelected(walk, selection);
    const size_t stride = static_cast<size_t>(h.presentChannels());
    std::vector<double> in(kPieceValues);
    uint32_t n = 0;
    for (const IndexedEntry& e : walk.entries) {
        if (report.cancelled) break;
        if (!selection.selected(e.ordinal)) continue;
        ++n;
        const std::string name = numbered(base, "_", n, ".txt");
        auto record = SignalRecord::From(*sdt, e);
        if (!record) {
            report.missing.push_back(name);
            report.problems.push_back(record.error());
            continue;
        }
        if (auto s = refuseOutputOverInput(name, guarded); !s) {
            report.missing.push_back(name);
            report.problems.push_back(s.error());
            continue;
        }
        auto out = OutputFile::Create(name);
        if (!out) {
            report.missing.push_back(name);
            report.problems.push_back(out.error());
            continue;
        }
        bool ok = true;
        bool readFailed = false;
        std::optional<Error> writeError;
        {
            TextWriter w(out->file());
            std::string& text = w.buffer();
            appendRecordHeading(text, fullPath, e.entry, heading);
            const uint64_t frames = stride == 0 ? 0 : record->frameCount();
            const size_t piece = stride == 0 ? 0 : kPieceValues / stride;
            for (uint64_t done = 0; done < frames && ok;) {
                const size_t count = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
                if (!readDoubles(sdt->file(), record->dataOffset() + done * record->frameBytes(), in.data(),
                                 count * stride)) {
                    report.problems.push_back(fail(Word::CantReadSamples, {path}));
                    readFailed = true;
                    ok = false;
                    break;
                }
                for (size_t f = 0; f < count; ++f) {
                    appendGeneral(text, static_cast<double>(done + f) / h.sampleRate, 10);
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
                if (progress && !progress({n - 1, records,
                                           static_cast<int>(std::floor(static_cast<double>(done) * 100.0 /
                                                                           static_cast<double>(frames) +
                                                                       0.5))})) {
                    report.cancelled = true;
                    ok = false;
                }
            }
            ok = w.flush() && ok;
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
        if (!report.cancelled && !readFailed)
            report.problems.push_back(writeError ? *writeError : fail(lexicon().cantWriteFile(name)));
    }
    return report;
}

}  // namespace k470
