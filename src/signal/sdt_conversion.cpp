#include "signal/sdt_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/text_encoding.h"

namespace k470 {

namespace {

// Values per piece: a multiple of 1, 2 and 3, so a piece always holds whole frames.
constexpr size_t kPieceValues = 48000;

struct Cancelled {
    bool flag = false;
};

Error cancelledError() { return fail("The conversion was cancelled"); }

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

void appendTwoDigits(std::string& s, int v) { appendInt(s, v, 2); }

}  // namespace

std::string signalBaseName(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t sep = path.find_last_of("/\\");
    if (dot == std::string::npos || dot < 1 || (sep != std::string::npos && dot < sep)) return path;
    return path.substr(0, dot);
}

Status writeChannelToWav(const SdtContainer& source, const SignalRecord& record, WavFileWriter& writer, int column,
                         bool normalize, const std::function<bool(int)>& progress) {
    const size_t stride = static_cast<size_t>(record.channelCount);
    if (stride == 0 || column < 0 || static_cast<size_t>(column) >= stride) return {};
    const uint64_t frames = record.frameCount();
    const size_t piece = kPieceValues / stride;  // frames per piece
    std::vector<double> in(kPieceValues);
    std::vector<float> out(piece);
    const File& file = source.file();
    const auto readError = [&] { return fail("Can't read the samples of a record of '" + source.path() + "'"); };
    const int passes = normalize ? 2 : 1;
    const auto report = [&](int pass, uint64_t done) {
        if (!progress) return true;
        const double part = (static_cast<double>(pass) + static_cast<double>(done) / static_cast<double>(frames)) /
                            passes;
        return progress(static_cast<int>(std::floor(part * 100.0 + 0.5)));
    };

    double mean = 0.0;
    double gain = 1.0;
    bool silent = false;
    if (normalize && frames > 0) {
        double lo = 0.0, hi = 0.0, sum = 0.0;
        bool first = true;
        for (uint64_t done = 0; done < frames;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
            if (!readDoubles(file, record.dataOffset() + done * record.frameBytes(), in.data(), n * stride))
                return readError();
            const double* v = in.data() + column;
            if (first) {
                lo = hi = v[0];
                first = false;
            }
            for (size_t f = 0; f < n; ++f) {
                const double x = v[f * stride];
                if (x > hi) hi = x;
                if (x < lo) lo = x;
                sum += x;
            }
            done += n;
            if (!report(0, done)) return cancelledError();
        }
        mean = sum / static_cast<double>(frames);
        // All values equal: no peak to scale to, the channel is silent.
        silent = hi == lo;
        const double peak = std::max(std::fabs(hi - mean), std::fabs(lo - mean));
        if (!silent) gain = 0.5 / peak;
    }
    for (uint64_t done = 0; done < frames;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
        if (!readDoubles(file, record.dataOffset() + done * record.frameBytes(), in.data(), n * stride))
            return readError();
        const double* v = in.data() + column;
        if (silent)
            std::fill_n(out.begin(), n, 0.0f);
        else
            for (size_t f = 0; f < n; ++f) out[f] = static_cast<float>((v[f * stride] - mean) * gain);
        if (auto s = writer.Write(out.data(), n * sizeof(float)); !s) return s;
        done += n;
        if (!report(passes - 1, done)) return cancelledError();
    }
    return {};
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
        return fail("The sampling frequency of '" + path + "' (" + formatGeneral(h.sampleRate, 10) +
                    " Hz) gives no usable WAV rate");
    const WavFormat format = WavFormat::FloatMono(static_cast<uint32_t>(samplesPerSecond));
    const std::string base = signalBaseName(path);
    const std::vector<int> channels = presentChannels(h);

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
            perChannelStatus[k] = perChannel[k].Open(name, format);
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
        for (size_t column = 0; column < channels.size() && !report.cancelled; ++column) {
            const int k = channels[column];
            const int col = static_cast<int>(column);
            switch (parameters.savingMode) {
                case SavingMode::SeparateFiles: {
                    WavFileWriter w;
                    const std::string name = channelFileName(base, k, n + 1);
                    if (auto s = w.Open(name, format); !s) {
                        openFailed(name, s);
                        break;
                    }
                    finish(w, writeChannelToWav(*sdt, *record, w, col, parameters.normalize, onPercent));
                    break;
                }
                case SavingMode::FilePerChannel:
                    if (perChannel[k].isOpen() && perChannelStatus[k])
                        perChannelStatus[k] =
                            writeChannelToWav(*sdt, *record, perChannel[k], col, parameters.normalize, onPercent);
                    break;
                case SavingMode::FilePerRecord: break;
            }
        }
        if (parameters.savingMode == SavingMode::FilePerRecord) {
            WavFileWriter w;
            const std::string name = numbered(base, "_", n + 1, ".wav");
            if (auto s = w.Open(name, format); !s) {
                openFailed(name, s);
            } else {
                Status status;
                for (size_t column = 0; column < channels.size() && status; ++column)
                    status = writeChannelToWav(*sdt, *record, w, static_cast<int>(column), parameters.normalize,
                                               onPercent);
                finish(w, status);
            }
        }
        ++n;
    }
    for (int k : channels)
        if (perChannel[k].isOpen()) finish(perChannel[k], perChannelStatus[k]);
    return report;
}

Result<ConversionReport> ConvertSdtToText(const std::string& path, const RecordSelection& selection,
                                          const ConversionProgressFn& progress) {
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
        auto out = File::Open(name, File::Mode::Create);
        if (!out) {
            report.missing.push_back(name);
            report.problems.push_back(out.error());
            continue;
        }
        bool ok = true;
        bool readFailed = false;
        {
            TextWriter w(*out);
            std::string& text = w.buffer();
            text += fullPath;
            text += "\r\n";
            const CalendarTime t = unpackEntry(e.entry.date, e.entry.time);
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
            const uint64_t frames = stride == 0 ? 0 : record->frameCount();
            const size_t piece = stride == 0 ? 0 : kPieceValues / stride;
            for (uint64_t done = 0; done < frames && ok;) {
                const size_t count = static_cast<size_t>(std::min<uint64_t>(piece, frames - done));
                if (!readDoubles(sdt->file(), record->dataOffset() + done * record->frameBytes(), in.data(),
                                 count * stride)) {
                    report.problems.push_back(fail("Can't read the samples of a record of '" + path + "'"));
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
                if (progress &&
                    !progress({n - 1, records,
                               static_cast<int>(std::floor(static_cast<double>(done) * 100.0 /
                                                               static_cast<double>(frames) +
                                                           0.5))})) {
                    report.cancelled = true;
                    ok = false;
                }
            }
            ok = w.flush() && ok;
        }
        ok = out->close().ok() && ok;
        if (ok) {
            report.written.push_back(name);
        } else {
            report.missing.push_back(name);
            if (!report.cancelled && !readFailed)
                report.problems.push_back(fail("Can't write file '" + name + "'"));
        }
    }
    return report;
}

}  // namespace k470
