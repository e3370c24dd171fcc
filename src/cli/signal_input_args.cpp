// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/signal_input_args.h"

#include <cmath>

#include "acoustics/acoustics_words.h"
#include "base/number_format.h"
#include "cli/signal_cli_support.h"
#include "data/signal_limits.h"

namespace k470::cli {

namespace {

constexpr std::string_view kShared[] = {"--channel", "--record", "--records",    "--start",
                                        "--length",  "--scale",  "--calibration"};

Result<double> number(const ParsedArgs& p, std::string_view name, bool positive) {
    const std::string text = p.value(name);
    double v = 0.0;
    if (!parseDouble(text, v) || !std::isfinite(v) || (positive ? !(v > 0.0) : v < 0.0))
        return fail(std::string(name) + " takes a " + (positive ? "positive" : "non-negative") +
                    " number, not '" + text + "'");
    return v;
}

Result<int> counting(const ParsedArgs& p, std::string_view name) {
    const std::string text = p.value(name);
    double v = 0.0;
    if (!parseDouble(text, v) || v < 1.0 || v > 1e6 || v != std::floor(v))
        return fail(std::string(name) + " takes a number from 1, not '" + text + "'");
    return static_cast<int>(v);
}

Result<acoustics::CalibrationSource> calibration(const std::string& text) {
    acoustics::CalibrationSource c;
    c.path = text;
    const size_t colon = text.rfind(':');
    double level = 0.0;
    if (colon != std::string::npos && parseDouble(text.substr(colon + 1), level)) {
        if (!std::isfinite(level))
            return fail("--calibration: the level must be a number, not '" + text + "'");
        if (Status ok = checkCalibrationLevel(level); !ok) return ok.error();
        c.path = text.substr(0, colon);
        c.level = level;
    }
    if (c.path.empty()) return fail("--calibration needs a file");
    return c;
}

}  // namespace

std::vector<std::string_view> signalInputOptions(std::initializer_list<std::string_view> own) {
    std::vector<std::string_view> all(std::begin(kShared), std::end(kShared));
    all.insert(all.end(), own.begin(), own.end());
    return all;
}

Result<SignalInputArgs> readSignalInputArgs(const ParsedArgs& p) {
    SignalInputArgs a;
    if (p.has("--channel")) {
        auto c = counting(p, "--channel");
        if (!c) return c.error();
        a.input.channel = *c;
    }
    if (p.has("--record") && p.has("--records")) return fail("give --record or --records, not both");
    if (p.has("--record") || p.has("--records")) {
        std::string error;
        auto s = parseRecordList(p.has("--record") ? p.value("--record") : p.value("--records"), error);
        if (!s) return fail(error);
        a.records = *s;
    }
    if (p.has("--start")) {
        auto v = number(p, "--start", false);
        if (!v) return v.error();
        a.input.start = *v;
    }
    if (p.has("--length")) {
        auto v = number(p, "--length", true);
        if (!v) return v.error();
        a.input.length = *v;
    }
    if (p.has("--scale") && p.has("--calibration")) return fail("give --scale or --calibration, not both");
    if (p.has("--scale")) {
        auto v = number(p, "--scale", true);
        if (!v) return v.error();
        if (Status ok = checkScale(*v); !ok) return ok.error();
        a.input.scale = *v;
    }
    if (p.has("--calibration")) {
        auto c = calibration(p.value("--calibration"));
        if (!c) return c.error();
        a.input.calibration = *c;
    }
    return a;
}

Result<double> readIntervalArg(const ParsedArgs& p) {
    double interval = 1.0;
    if (p.has("--interval") && (!parseDouble(p.value("--interval"), interval) || !std::isfinite(interval) ||
                                interval < 0.0 || (interval > 0.0 && interval < kShortestIntervalSeconds)))
        return fail("--interval takes 0 or a number of seconds from 0.1, not '" + p.value("--interval") +
                    "'");
    return interval;
}

std::optional<int> parseIntervalRun(const Command& self, std::span<const std::string> args,
                                    IntervalRun& run) {
    static constexpr std::string_view kFlags[] = {"--csv"};
    const auto values = signalInputOptions({"--interval", "-o", "--output"});
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, values, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give exactly one signal file");
    run.output = p.outputPath();
    if (run.output.empty() == !p.has("--csv")) return usageError(self, "give either -o OUT.bin or --csv");
    auto interval = readIntervalArg(p);
    if (!interval) return usageError(self, interval.error().message);
    run.interval = *interval;
    auto a = readSignalInputArgs(p);
    if (!a) return usageError(self, a.error().message);
    run.input = *a;
    run.path = p.files[0];
    auto records = selectedRecords(run.path, a->records);
    if (!records) {
        printError(records.error());
        return 1;
    }
    run.records = *records;
    return std::nullopt;
}

Result<std::vector<int>> selectedRecords(const std::string& path, const RecordSelection& selection) {
    auto count = acoustics::countSignalRecords(path);
    if (!count) return count.error();
    std::vector<int> records;
    for (int r = 1; r <= *count; ++r)
        if (selection.selected(static_cast<uint32_t>(r - 1))) records.push_back(r);
    for (size_t i = static_cast<size_t>(*count); !selection.all && i < selection.flags.size(); ++i)
        if (selection.flags[i])
            return fail(
                acoustics::message(Word::NoSuchRecord, {std::to_string(i + 1), std::to_string(*count)}));
    return records;
}

}  // namespace k470::cli
