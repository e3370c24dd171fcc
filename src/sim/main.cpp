// SPDX-License-Identifier: GPL-3.0-or-later
// k470-sim: an instrument on loopback TCP (the tele adapter) and on a pseudo-terminal (the USB bridge).
#include <unistd.h>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

constexpr const char* kUsage =
    "Usage: k470-sim [options]\n"
    "Emulates an instrument: the tele adapter on TCP and the USB instrument on a pseudo-terminal.\n"
    "Like the instrument it never waits for the PC: frames the PC does not take in time are lost, and\n"
    "their number is printed on the standard error at the end (\"dropped N frames\").\n"
    "  --port N            TCP port (default 10001; 0 picks a free one)\n"
    "  --bind ADDR         address to listen on (default 127.0.0.1)\n"
    "  --no-tcp            no TCP server\n"
    "  --pty               also serve a pseudo-terminal and print its path\n"
    "  --type T            device type code with a record layout (default 3), or 26: the raw-signal\n"
    "                      instrument, which sends a raw sample stream at 48 kHz (by default tones of\n"
    "                      1 and 3 kHz at 117 and 111 dB)\n"
    "  --signal LIST       the raw-signal instrument's signal, a comma-separated list of:\n"
    "                        tone:F:DB    a sine of F Hz at DB dB re 20 uPa\n"
    "                        pink:DB      pink noise at DB dB, broadband\n"
    "                        calibrator   1 kHz at 94.0 dB, as a class-1 acoustic calibrator gives\n"
    "                        decay:T60    interrupted noise (90 dB) decaying with reverberation time T60 s,\n"
    "                                     every 3*T60 s\n"
    "                        impulse:T60  a room impulse response with reverberation time T60 s, every\n"
    "                                     3*T60 s\n"
    "                        events       pink noise at 55 dB with a 75 dB event of 5 s every 30 s\n"
    "                        whole-body   the z axis of the whole-body vibration sample: 0.5 m/s^2 at\n"
    "                                     5 Hz, a 10 m/s^2 half-sine shock of 50 ms every 20 s from 10 s\n"
    "                        hand-arm     the z axis of the hand-arm sample: 3, 1.5, 0.75 m/s^2 at 125,\n"
    "                                     250, 375 Hz\n"
    "                      The instrument gives 100,000 counts per pascal (24 bits reach 132 dB peak);\n"
    "                      the preset 'simulator' reads its samples in pascals.\n"
    "  --vin HEX           serial number (default 00A1B2C3)\n"
    "  --running           the measurement runs from the start\n"
    "  --seconds S         end after S seconds (default: run until interrupted)\n"
    "  --wait-for-reader   hold the stream back while the PC does not read, instead of losing frames as\n"
    "                      the instrument does (it cannot wait); the signal stays continuous, but comes\n"
    "                      later than the real clock\n"
    "  -V, --version       print the version and end\n"
    "Faults:\n"
    "  --split             frames in three pieces written apart\n"
    "  --garbage           stray bytes between frames\n"
    "  --bad-checksum N    every N-th message with a wrong checksum\n"
    "  --silence-after N   no messages after the N-th\n"
    "  --drop-after N      drop the connection after N messages\n"
    "  --stream            send a raw sample stream instead of status messages\n";

bool number(std::string_view text, long long& v, int base = 10) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), v, base);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

int usage(const std::string& message) {
    std::fprintf(stderr, "k470-sim: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// The command line into the options and the running time; an exit code when the program ends here (help,
// version, a usage error).
std::optional<int> parseArguments(int argc, char** argv, k470::SimulatorOptions& o, long long& seconds) {
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        auto value = [&](long long& v, long long lo, long long hi, int base = 10) {
            if (i + 1 >= argc || !number(argv[i + 1], v, base) || v < lo || v > hi) return false;
            ++i;
            return true;
        };
        long long v = 0;
        if (a == "--version" || a == "-V") {
            std::fputs("k470-sim " K470_VERSION "\n", stdout);
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--port") {
            if (!value(v, 0, 65535)) return usage("--port takes a port number");
            o.port = static_cast<uint16_t>(v);
        } else if (a == "--bind") {
            if (i + 1 >= argc) return usage("--bind takes an address");
            o.bindAddress = argv[++i];
        } else if (a == "--no-tcp") {
            o.tcp = false;
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--type") {
            if (!value(v, 0, 65535)) return usage("--type takes a device type code");
            o.type = static_cast<k470::DeviceType>(v);
        } else if (a == "--vin") {
            if (!value(v, 0, 0xFFFFFFFFll, 16)) return usage("--vin takes up to eight hex digits");
            o.vin = static_cast<uint32_t>(v);
        } else if (a == "--wait-for-reader") {
            o.waitForReader = true;
        } else if (a == "--running") {
            o.runningAtStart = true;
        } else if (a == "--seconds") {
            if (!value(seconds, 1, 1'000'000)) return usage("--seconds takes a number of seconds");
        } else if (a == "--split") {
            o.splitFrames = true;
        } else if (a == "--garbage") {
            o.garbage = true;
        } else if (a == "--bad-checksum") {
            if (!value(v, 1, 1'000'000)) return usage("--bad-checksum takes a count");
            o.badChecksumEvery = static_cast<int>(v);
        } else if (a == "--silence-after") {
            if (!value(v, 1, 1'000'000'000)) return usage("--silence-after takes a count");
            o.silenceAfter = static_cast<int>(v);
        } else if (a == "--drop-after") {
            if (!value(v, 1, 1'000'000'000)) return usage("--drop-after takes a count");
            o.dropAfter = static_cast<int>(v);
        } else if (a == "--signal") {
            if (i + 1 >= argc) return usage("--signal takes a list of signal items");
            auto items = k470::parseSignalList(argv[++i]);
            if (!items) return usage(items.error().message);
            o.signal = std::move(*items);
        } else if (a == "--stream") {
            o.stream = true;
        } else {
            return usage("unknown option " + std::string(a));
        }
    }
    if (!o.tcp && !o.pty) return usage("nothing to serve: --no-tcp without --pty");
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    k470::SimulatorOptions o;
    long long seconds = 0;
    if (auto done = parseArguments(argc, argv, o, seconds)) return *done;
    auto sim = k470::Simulator::Start(o);
    if (!sim) {
        std::fprintf(stderr, "k470-sim: %s\n", sim.error().message.c_str());
        return 1;
    }
    if (o.tcp) std::printf("tcp %s:%u\n", o.bindAddress.c_str(), static_cast<unsigned>((*sim)->tcpPort()));
    if (o.pty) std::printf("pty %s\n", (*sim)->ptyPath().c_str());
    std::fflush(stdout);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    for (long long waited = 0; !stopRequested && (seconds == 0 || waited < seconds * 10); ++waited)
        ::usleep(100'000);
    (*sim)->Stop();
    std::fprintf(stderr, "k470-sim: dropped %llu frames\n",
                 static_cast<unsigned long long>((*sim)->droppedFrames()));
    return 0;
}
