// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_command.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/lexicon.h"

namespace k470::cli {

namespace {

// What every command that reads a signal takes, in its help.
#define SIGNAL_INPUT_RANGES                                                                              \
    "Signals are refused unless regular files of 8 to 192 kHz with 0 dB references from 1e-12 to 1e6,\n" \
    "finite samples at most 300 dB above the reference, and some sound (a silent record is refused).\n"

constexpr Command kCommands[] = {
    {"info", "show the records of .bin files and the entries of .sdt files",
     "Usage: k470-cli info FILE...\n"
     "For a .bin file: the record count and each record's number, date, time, type name and VIN.\n"
     "For a .sdt file: the header and the used directory entries.\n"
     "'-' reads one file from standard input (a signal file is told by its header).\n",
     runInfo},
    {"export", "write every record of .bin files as semicolon-separated text",
     "Usage: k470-cli export [--linear | --csv] [-o OUT] FILE.bin...\n"
     "Writes every record of each FILE as semicolon-separated text (CR LF lines, the instrument's\n"
     "layout) to FILE without its extension plus .txt. A file that fails does not stop the others; the\n"
     "exit code is then 1 and the failed files are listed.\n"
     "  --linear           levels as linear values in engineering form instead of dB\n"
     "  --csv              a UTF-8 CSV table instead, to FILE.csv: a header row of column names with their\n"
     "                     units (date,time,vin,interval_s,<level>_dB...), one row per record, commas,\n"
     "                     dot decimals, LF line ends\n"
     "  -o, --output OUT   write to OUT instead (only with one FILE; '-' is standard output)\n"
     "FILE '-' reads standard input and writes standard output unless -o is given.\n",
     runExport},
    {"sample", "write a .bin file of made-up records of any device type, or a sample signal file",
     "Usage: k470-cli sample [--type T] [--records N] [--seed S] [--vin HEX] -o OUT\n"
     "       k470-cli sample --sdt KIND -o OUT.sdt\n"
     "  -o, --output OUT  the file to write ('-' is standard output)\n"
     "  --type T     device type code with a record layout (default 3, sound level meter)\n"
     "  --records N  number of records, 1 to 300000 (default 1)\n"
     "  --seed S     varies the levels (default 1)\n"
     "  --vin HEX    serial number (default 00A1B2C3)\n"
     "  --sdt KIND   a signal file of several records with markers instead:\n"
     "               calibrator  1 kHz at 94 dB and at 114 dB (calibration, levels, FFT)\n"
     "               pink        pink noise at 80 dB and at 60 dB (filtration, octave levels)\n"
     "               events      55 dB background with a 75 dB event of 5 s (levels over time, replay)\n"
     "               room        impulse responses, reverberation times 1.8 .. 0.6 s in the octaves\n"
     "                           125 Hz .. 4 kHz over a -70 dB floor (RT-60)\n"
     "               vibration   a machine's vibration on three axes in m/c^2 (device type 1)\n"
     "               whole-body  tones of known weighted value on three axes, then with a shock (type 1)\n"
     "               hand-arm    a tool's tone at 125 Hz with harmonics on three axes (type 2)\n",
     runSample},
    {"merge", "write every record of several .bin files into one text file",
     "Usage: k470-cli merge [--csv] -o OUT FILE.bin...\n"
     "Writes the records of every FILE into one text: a line naming the file, then its records in dB.\n"
     "  --csv              one UTF-8 CSV table instead, with a 'file' column first (see export --csv);\n"
     "                     all files must hold records of one device type\n"
     "  -o, --output OUT   the output ('-' is standard output)\n",
     runMerge},
    {"percentiles", "level distribution and percentiles of one level over the records of .bin files",
     "Usage: k470-cli percentiles --level T,P,B[,C] [--percent X]... [--histogram] FILE.bin...\n"
     "All files must be of one device type. Prints one line 'L<p>;<level>' per distinct percentage, "
     "ascending,\n"
     "then 'min;<level>' and 'max;<level>' (levels in dB).\n"
     "  --level T,P,B[,C]  table, parameter, band (or weighting) and channel (0-based, default 0), numbered\n"
     "                     as the level locator numbers them\n"
     "  --percent X        a percentage; the level that fewer than X percent of the records reach or exceed\n"
     "  --histogram        also 'class;<lower edge>;<count>' for every occupied 0.5 dB class\n",
     runPercentiles},
    {"report", "a table of chosen levels of every record of .bin files",
     "Usage: k470-cli report --column T,P,B[,C]... [--config report.cfg] [--no-date] [--no-time] [--no-vin]\n"
     "                       [--no-interval] [--frequency-names] -o OUT FILE.bin...\n"
     "All files must be of one device type. One line per field, one column per record.\n"
     "  --column T,P,B[,C]  a level as 'percentiles --level' numbers it; repeated codes are taken once\n"
     "  --config FILE       start from the columns stored for the type in FILE, add the --column ones and\n"
     "                      store the list back (other types' entries are kept)\n"
     "  --no-date, --no-time, --no-vin, --no-interval  leave that field out\n"
     "  --frequency-names   name each level line by its band's centre frequency only\n"
     "  -o, --output OUT    the text output ('-' is standard output)\n",
     runReport},
    {"sdt2wav", "write the records of .sdt signal files as 32-bit float WAV files",
     "Usage: k470-cli sdt2wav [--mode separate|channel|record] [--rate device|24000|48000] [--no-normalize]\n"
     "                        [--records all|LIST] FILE.sdt...\n"
     "Writes the selected records beside FILE, named after it, and prints the names written:\n"
     "  --mode separate   one file per channel and record, FILE_ch<k>_<n>.wav (default)\n"
     "  --mode channel    one file per channel, records one after the other, FILE_ch<k>.wav\n"
     "  --mode record     one file per record, channels one after the other, FILE_<n>.wav\n"
     "  --rate R          the file's own rate (device, default), or 24000 or 48000 samples per second\n"
     "  --no-normalize    the values as recorded, instead of scaled to a peak of 0.5 around the mean\n"
     "  --records LIST    comma-separated numbers of records, from 1 (default all)\n",
     runSdt2Wav},
    {"sdt2txt", "write the records of .sdt signal files as tab-separated text",
     "Usage: k470-cli sdt2txt [--records all|LIST] FILE.sdt...\n"
     "Writes each selected record beside FILE as FILE_<n>.txt (tab-separated: time, then the channels) and\n"
     "prints the names written.\n"
     "  --records LIST    comma-separated numbers of records, from 1 (default all)\n",
     runSdt2Txt},
    {"reprocess", "run a .sdt signal file through the processing chain into a new .sdt file",
     "Usage: k470-cli reprocess [--preset NAME] [--decimation R] -o OUT.sdt FILE.sdt\n"
     "  -o, --output OUT  the new signal file (never FILE itself)\n"
     "  --preset NAME     process with that preset of cust_proc.dat and the filters of the *.slb files\n"
     "                    in the data directory (its decimation wins)\n"
     "  --decimation R    without a preset: decimate by R (default 1)\n"
     "The data directory is $K470_DATA_DIR, else $XDG_DATA_HOME/k470 (~/.local/share/k470).\n",
     runReprocess},
    {"levels", "sound levels of a signal record or WAV/FLAC file, interval by interval",
     "Usage: k470-cli levels [--interval SEC] [--channel N] [--records all|LIST] [--start SEC] [--length "
     "SEC]\n"
     "                       [--scale K | --calibration F[:L]] (-o OUT.bin | --csv) FILE.sdt|FILE.wav\n"
     "Measures A, C and Z levels (Leq, F, S and I with maxima and minima, C and Z peak) and the Z levels of\n"
     "the 1/3-octave bands 25 Hz..20 kHz and the octave bands 31.5 Hz..16 kHz, one result per interval.\n"
     "The time weightings start from rest at the start of each record, as a meter switched on does: maxima\n"
     "count from the first sample, so a burst at the start reads as anywhere else; minima count once a\n"
     "weighting has settled (five time constants: F 0.625 s, S 5 s, I 0.175 s), and an interval that ends\n"
     "sooner has the level at its end as its minimum.\n"
     "  --interval SEC    interval length, from 0.1 (default 1; 0 = one result for the whole record)\n"
     "  --channel N       channel number from 1 (default 1)\n"
     "  --records LIST    'all' (default) or comma-separated record numbers from 1\n"
     "  --start, --length  a part of each record, in seconds\n"
     "  --scale K         pascals per full-scale unit of a WAV/FLAC file (1e-9 to 1e9)\n"
     "  --calibration F[:L]  the scale from a calibrator recording F reading L dB (40 to 160, default\n"
     "                    94.0) in its 1 kHz band; without a scale a WAV's levels are in dB re full scale\n"
     "  -o OUT.bin        write sound-level records (device type 3), one per interval\n"
     "  --csv             write CSV to standard output: start_s,duration_s,LAeq,LCeq,LZeq,LAFmax,LAFmin,\n"
     "                    LASmax,LASmin,LAImax,LAF,LAS,LCpeak,LZpeak, then LZeq_<band> and LZeq_oct_<band>\n"
     "A silent stretch reads -300 dB, the lowest level given; a record stores levels below 0 dB as 0 and\n"
     "above 255.99 dB as 255.99, flagged under-range or overload.\n" SIGNAL_INPUT_RANGES,
     runLevels},
    {"vibration", "human vibration (whole-body or hand-arm) of an acceleration signal, interval by interval",
     "Usage: k470-cli vibration [--kind whole-body|hand-arm] [--interval SEC] [--channels LIST]\n"
     "                          [--records all|LIST] [--start SEC] [--length SEC] [--scale K]\n"
     "                          (-o OUT.bin | --csv | --summary [--exposure HOURS]) FILE.sdt|FILE.wav\n"
     "Weights each channel (channels 1, 2, 3 are the axes x, y, z) with the weightings of ISO 8041-1 and\n"
     "measures the running r.m.s. over 1 s, 5 s and 10 s (linear, with minima and maxima), the r.m.s., "
     "peak,\n"
     "MTVV (largest running r.m.s. of time constant 1 s), VDV (fourth-power dose) and crest factor.\n"
     "  whole-body  Fk, Fm (band-limiting 0.4 / 0.79-100 Hz), Wb, Wc, Wd, We, Wj, Wk, Wm; bands: octaves\n"
     "              1-125 Hz, 1/3-octaves 0.8-160 Hz; rates 1 to 48 kHz\n"
     "  hand-arm    Fh (band-limiting 6.3-1259 Hz), Wh; bands: octaves 8-1000 Hz, 1/3-octaves\n"
     "              6.3-1250 Hz; rates 5 to 48 kHz\n"
     "  --kind K          whole-body (default) or hand-arm\n"
     "  --interval SEC    interval length, from 0.1 (default 1; 0 = one result for the whole record)\n"
     "  --channels LIST   comma-separated channel numbers 1 to 3 (default every channel of the file)\n"
     "  --records LIST    'all' (default) or comma-separated record numbers from 1\n"
     "  --start, --length  a part of each record, in seconds\n"
     "  --scale K         m/s^2 per stored unit: needed unless the signal is in m/s^2 (m/c^2 in .sdt files)\n"
     "  -o OUT.bin        vibration records, one per interval, levels in dB re 1e-6 m/s^2: three channels\n"
     "                    as type 1 (whole-body) or 2 (hand-arm), a channel in the slot of its number; one\n"
     "                    channel as type 4 or 5\n"
     "  --csv             CSV to standard output, one row per interval, channel and weighting:\n"
     "                    start_s,duration_s,channel,weighting,rms_m_s2,peak_m_s2,mtvv_m_s2,vdv_m_s175,\n"
     "                    crest_factor\n"
     "  --summary         quantity,value,unit of one record as a whole: per axis the r.m.s. of the "
     "weighting\n"
     "                    for health (whole-body x, y Wd, z Wk; hand-arm Wh), VDV, MTVV and crest factor,\n"
     "                    and the combined value: whole-body sqrt((1.4 awx)^2 + (1.4 awy)^2 + awz^2),\n"
     "                    hand-arm the vibration total value ahv = sqrt(ahwx^2 + ahwy^2 + ahwz^2)\n"
     "  --exposure HOURS  with --summary: the daily exposure A(8) = a sqrt(T / 8 h) for T hours a day,\n"
     "                    of the combined value, and for whole-body of each axis (1.4 awx, 1.4 awy, awz)\n"
     "                    and of the highest of them\n",
     runVibration},
    {"infrasound", "infrasound levels (G weighting) of a sound-pressure signal, interval by interval",
     "Usage: k470-cli infrasound [--interval SEC] [--channel N] [--records all|LIST] [--start SEC]\n"
     "                           [--length SEC] [--scale K | --calibration F[:L]] (-o OUT.bin | --csv)\n"
     "                           FILE.sdt|FILE.wav\n"
     "Measures G (ISO 7196), Z and A (from 8 kHz) weighted levels and the octaves 2-250 Hz and 1/3-octaves\n"
     "1.6-315 Hz, each with Slow (1 s) and ESlow (10 s) and their minima and maxima, and Leq; rates 2 to\n"
     "48 kHz. Levels are in dB re the channel's reference (20 uPa for sound).\n"
     "  --interval SEC    interval length, from 0.1 (default 1; 0 = one result for the whole record)\n"
     "  --channel N, --records LIST, --start, --length, --scale, --calibration   as for levels\n"
     "  -o OUT.bin        infrasound records (device type 6), one per interval\n"
     "  --csv             CSV to standard output, one row per interval and weighting or band:\n"
     "                    start_s,duration_s,row,leq_db,slow_db,slow_min_db,slow_max_db,eslow_db,\n"
     "                    eslow_min_db,eslow_max_db\n",
     runInfrasound},
    {"fft", "write the averaged spectrum of a signal record as CSV",
     "Usage: k470-cli fft [--size N] [--window rect|hann|flattop|blackman-harris] [--overlap PCT]\n"
     "                    [--average linear|exponential|max] [--psd] [--channel N] [--record K] [--start "
     "SEC]\n"
     "                    [--length SEC] [--scale K | --calibration F[:L]] FILE.sdt|FILE.wav\n"
     "Writes frequency_hz,level_db for every bin from 0 Hz to half the sampling rate, in dB re the\n"
     "channel's reference value (a sinusoid of rms X at a bin centre reads X).\n"
     "  --size N          FFT size, a power of two from 256 to 65536 (default 8192)\n"
     "  --window W        rect, hann (default), flattop or blackman-harris\n"
     "  --overlap PCT     overlap of the frames, 0 to 90 % (default 50)\n"
     "  --average A       linear (default), exponential (over 8 frames) or max (hold)\n"
     "  --psd             power density in dB/Hz instead of the amplitude spectrum\n"
     "  --channel N, --record K   the channel and the record, from 1 (default 1)\n"
     "  --start SEC, --length SEC the part of the record to analyse\n"
     "  --scale K         pascals per full-scale unit of a WAV file (1e-9 to 1e9)\n"
     "  --calibration F[:L]       the scale from a calibrator recording F at L dB (40 to 160, default 94.0)\n"
     "An empty bin reads -300 dB, the lowest level given.\n" SIGNAL_INPUT_RANGES,
     runFft},
    {"rt60", "write the reverberation times of a recorded decay per band as CSV",
     "Usage: k470-cli rt60 [--bands octave|third] [--channel N] [--record K] [--start SEC] [--length SEC]\n"
     "                     FILE.sdt|FILE.wav\n"
     "Analyses an impulse response or the decay after an interrupted noise (told apart from the signal)\n"
     "and writes band_hz,edt_s,t20_s,t30_s,r_t20,r_t30,floor_db,note for every band. An empty cell has\n"
     "no value, and the note says why.\n"
     "  --bands B         octave: 63 Hz to 8 kHz (default); third: 1/3 octaves 50 Hz to 10 kHz\n"
     "  --channel N, --record K   the channel and the record, from 1 (default 1)\n"
     "  --start SEC, --length SEC the part of the record to analyse, at most 5.76 million samples\n"
     "                            (120 s at 48 kHz)\n" SIGNAL_INPUT_RANGES,
     runRt60},
    {"acquire", "record an instrument's results at a fixed period into a .bin file",
     "Usage: k470-cli acquire (--tcp IP2 [--bind IP1] [--port N] | --usb [DEVICE]) [--period SEC]\n"
     "                        [--count N] [--trigger] -o OUT.bin\n"
     "Connects to the instrument and writes a record every SEC seconds until N records are written.\n"
     "  --tcp IP2     the instrument's tele adapter address (port 10001 unless --port)\n"
     "  --bind IP1    the local address to connect from (default: any)\n"
     "  --usb DEVICE  the USB instrument (default: the first FTDI bridge that opens)\n"
     "  --period SEC  seconds between records (default 1)\n"
     "  --count N     records to write, 1 to 300000 (default 1)\n"
     "  --trigger     start only when the trigger event is set (k470-cli trigger)\n"
     "  -o, --output OUT  the .bin file; every record is on the disk as soon as it is counted (over an\n"
     "                    existing file, in OUT.partial-XXXXXXXX.bin until the recording ends)\n"
     "Progress goes to standard error (not with -q). Ctrl-C stops early, writing one last record.\n",
     runAcquire},
    {"record", "record the raw-signal instrument's processed signal into a .sdt file",
     "Usage: k470-cli record --usb [DEVICE] [--preset NAME] (--seconds S | --frames N)\n"
     "                       [--marker-every SEC] -o OUT.sdt\n"
     "Connects to the raw-signal instrument (device type 26), runs its stream through the processing\n"
     "chain and writes the enabled output channels at the decimated rate into one record, dated at its "
     "start.\n"
     "  --usb DEVICE      the USB instrument (default: the first FTDI bridge that opens)\n"
     "  --preset NAME     process with that preset of cust_proc.dat and the filters of the *.slb files in\n"
     "                    the data directory; 'simulator' reads k470-sim's counts in pascals\n"
     "  --seconds S       record S seconds of signal (S times the recorded rate frames)\n"
     "  --frames N        record N frames\n"
     "  --marker-every SEC  a marker \"Marker N\" every SEC seconds of signal, from 1; after 15 markers the\n"
     "                    recording goes on in a new record\n"
     "The directory is updated twice a second. Ctrl-C ends the recording early with a complete file.\n"
     "OUT.sdt is a file on disk. A new name grows in place; over an existing file the recording grows\n"
     "beside it as OUT.partial-XXXXXXXX.sdt and replaces it when it ends (found there after a crash).\n"
     "The stream is read as it arrives; frames that could not be taken in time (the signal has a gap\n"
     "there) are counted in a warning after the summary.\n",
     runRecord},
    {"trigger", "start an autorecording that waits for the external trigger",
     "Usage: k470-cli trigger\n"
     "Sets the event K470StartAutoSaveEvent that an armed autorecording waits for.\n",
     runTrigger},
};

bool quietMode = false;
int standardOutputError = 0;  // errno of the first failed write to standard output

}  // namespace

std::span<const Command> commands() {
    return kCommands;
}

const Command& commandNamed(std::string_view name) {
    for (const auto& c : kCommands)
        if (c.name == name) return c;
    return kCommands[0];
}

bool ParsedArgs::has(std::string_view name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

std::string ParsedArgs::value(std::string_view name, std::string_view fallback) const {
    std::string v(fallback);
    for (const auto& o : options)
        if (o.first == name) v = o.second;
    return v;
}

std::string ParsedArgs::outputPath() const {
    std::string v;
    for (const auto& o : options)
        if (o.first == "-o" || o.first == "--output") v = o.second;
    return v;
}

std::vector<std::string> ParsedArgs::values(std::string_view name) const {
    std::vector<std::string> v;
    for (const auto& o : options)
        if (o.first == name) v.push_back(o.second);
    return v;
}

ParsedArgs parseArgs(std::span<const std::string> args, std::span<const std::string_view> flags,
                     std::span<const std::string_view> withValue) {
    ParsedArgs p;
    auto contains = [](std::span<const std::string_view> list, std::string_view s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            p.files.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            p.help = true;
            continue;
        }
        if (a == "-q" || a == "--quiet") {
            quietMode = true;
            continue;
        }
        std::string name = a;
        std::string inlineValue;
        bool hasInline = false;
        if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
            hasInline = true;
        }
        if (contains(withValue, name)) {
            if (hasInline) {
                p.options.emplace_back(name, inlineValue);
            } else if (i + 1 < args.size()) {
                p.options.emplace_back(name, args[++i]);
            } else {
                p.error = "option " + name + " needs a value";
                return p;
            }
        } else if (contains(flags, name) && !hasInline) {
            p.options.emplace_back(name, "");
        } else {
            p.error = "unknown option " + a;
            return p;
        }
    }
    return p;
}

std::optional<int> parseCommandArgs(const Command& self, std::span<const std::string> args,
                                    std::span<const std::string_view> flags,
                                    std::span<const std::string_view> withValue, ParsedArgs& parsed) {
    parsed = parseArgs(args, flags, withValue);
    if (parsed.help) {
        std::fwrite(self.usage.data(), 1, self.usage.size(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) return usageError(self, parsed.error);
    return std::nullopt;
}

void printError(std::string_view message) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgramName.size()), kProgramName.data(),
                 static_cast<int>(message.size()), message.data());
}

void printError(const Error& error) {
    printError(describe(error));
}

void printNote(std::string_view message) {
    if (!quietMode) std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

bool quiet() {
    return quietMode;
}

bool showProgress() {
    return !quietMode && ::isatty(STDERR_FILENO) == 1;
}

Result<OutputFile> openOutput(const std::string& path) {
    return OutputFile::Create(path);  // "-" is standard output there, as for the core's own outputs
}

std::optional<OutputFile> openOutputFor(const std::string& path, std::span<const std::string> inputs) {
    if (auto s = refuseOutputOverInput(path, inputs); !s) {
        printError(s.error());
        return std::nullopt;
    }
    auto out = openOutput(path);
    if (!out) {
        printError(out.error());
        return std::nullopt;
    }
    return std::move(*out);
}

bool commitOutput(OutputFile& out) {
    if (auto s = out.Commit(); !s) {
        printError(s.error());
        return false;
    }
    return true;
}

bool writeTextOutput(OutputFile& out, const std::function<Status(TextWriter&)>& fill) {
    Status filled;
    bool writeFailed = false;
    int error = 0;
    {
        TextWriter writer(out.file());
        filled = fill(writer);
        writeFailed = !writer.flush();
        error = writer.error();
    }
    if (writeFailed) {
        printError(fail(lexicon().cantWriteFile(out.path()), std::strerror(error != 0 ? error : EIO)));
    } else if (!filled) {
        printError(filled.error());
    }
    if (writeFailed || !filled) {
        out.Discard();
        return false;
    }
    return commitOutput(out);
}

bool checkInputs(std::span<const std::string> inputs) {
    bool ok = true;
    for (const std::string& input : inputs) {
        if (input == "-") continue;
        if (auto s = checkInputFile(input); !s) {
            printError(s.error());
            ok = false;
        }
    }
    return ok;
}

std::string standardInputAsFile() {
    static std::string path;
    if (!path.empty()) return path;
    const int fd = ::memfd_create("k470-standard-input", MFD_CLOEXEC);
    if (fd < 0) {
        printError(fail(lexicon().cantOpenFile("-"), std::strerror(errno)));
        return {};
    }
    File copy = File::FromDescriptor(fd);
    char buffer[1 << 16];
    while (true) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            printError(fail(lexicon().cantOpenFile("-"), std::strerror(errno)));
            return {};
        }
        if (n == 0) break;
        if (!copy.write(buffer, static_cast<size_t>(n))) {
            printError(fail(lexicon().cantOpenFile("-"), std::strerror(errno)));
            return {};
        }
    }
    // The copy stays open for the life of the process; its name opens it again.
    path = "/proc/self/fd/" + std::to_string(fd);
    (void)copy.release();
    return path;
}

void printOut(std::string_view text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if ((!written || std::fflush(stdout) != 0) && standardOutputError == 0)
        standardOutputError = errno != 0 ? errno : EIO;
}

void standardOutputFailed(int error) {
    if (standardOutputError == 0) standardOutputError = error != 0 ? error : EIO;
}

int finishStandardOutput(int code) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout) && standardOutputError == 0;
    const int error = standardOutputError != 0 ? standardOutputError : errno;
    // A write that failed earlier in the command leaves the stream's error flag set; the reason may be gone.
    if (flushed) return code;
    printError(fail("Can't write to standard output", error != 0 ? std::strerror(error) : "write error"));
    return code == 0 ? 1 : code;
}

int usageError(const Command& command, std::string_view message) {
    printError(message);
    std::fwrite(command.usage.data(), 1, command.usage.size(), stderr);
    return 2;
}

}  // namespace k470::cli
