// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <numbers>

#include "data/sample_records.h"
#include "link/frame_parser.h"
#include "link/instrument_protocol.h"
#include "link/stop_signal.h"

namespace k470 {

namespace {

constexpr size_t kOutputLimit = 1 << 16;   // the instrument's output buffer: beyond it frames are dropped
constexpr uint8_t kStatusFrameType = 1;    // the instrument's frame type for status messages
constexpr double kRangeStepDb = 10.0;      // each range moves the levels by this much
constexpr int kTicksPerSecond = 33;        // 30 ms ticks
constexpr DeviceType kRawSignalType = 26;  // the instrument that sends a raw sample stream
// Frame markers of the raw stream: a signed 24-bit sample, little-endian; a status value, selector first.
constexpr uint8_t kSampleMarker = 0xAA;
constexpr uint8_t kStatusMarker = 0xBB;
constexpr size_t kStreamFrameBytes = 4;

uint32_t msNow() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

struct Peer {
    int fd = -1;
    bool isPty = false;
    bool sending = false;
    std::vector<uint8_t> out;
    bool haveFirst = false;
    uint8_t first = 0;
    std::vector<std::pair<size_t, uint32_t>> pauses;  // (position in out, ms) where a split frame waits
    uint64_t streamSample = 0;                        // samples of the raw stream sent to this peer
    double streamDue = 0.0;      // samples due at the next tick, with the fraction carried over
    uint32_t streamClockMs = 0;  // when the samples due were last counted
    bool streamClockSet = false;
    std::unique_ptr<SignalSynth> synth;  // the stream's signal, made when the stream starts
};

}  // namespace

struct Simulator::Impl {
    SimulatorOptions o;
    StopSignal stop;
    int listenFd = -1;
    Peer tcp;
    Peer pty;
    int ptySlave = -1;  // held so that the terminal stays usable between the PC's opens

    mutable std::mutex mutex;
    SimulatorState st;
    std::vector<uint8_t> received;

    // The measurement.
    MeasurementRecord base[2];
    int baseIndex = -1;
    std::vector<WordRole> roles;
    std::vector<double> energy, low, high, shown;
    int accumulated = 0;
    uint32_t tick = 0;
    std::array<uint8_t, 4> nibbles{};
    uint32_t noise = 0x2545F491u;
    bool dropped = false;                    // the connection was dropped (the fault)
    std::atomic<uint64_t> framesDropped{0};  // frames the PC did not take in time

    uint8_t random() {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        return static_cast<uint8_t>(noise);
    }

    void closePeer(Peer& p) {
        if (p.fd >= 0) ::close(p.fd);
        p.fd = -1;
        p.out.clear();
        p.pauses.clear();
        p.sending = false;
        p.haveFirst = false;
    }

    void apply(Peer& p, unsigned reg, unsigned v) {
        std::lock_guard lock(mutex);
        if (reg >= 0xC) {
            nibbles[reg - 0xC] = static_cast<uint8_t>(v);
            return;
        }
        if (reg != 0) return;
        switch (v) {
            case 1:
                p.sending = true;
                break;
            case 2:
                p.sending = false;
                break;
            case 3:
                ++st.resets;
                accumulated = 0;
                break;
            case 4:
                st.running = !st.running;
                if (st.running) accumulated = 0;
                break;
            case 7:
            case 8:
            case 9:
            case 10:
                st.range = static_cast<int>(v) - 7;
                break;
            case 11:
            case 12:
            case 13: {
                auto w =
                    static_cast<int16_t>(nibbles[0] | nibbles[1] << 4 | nibbles[2] << 8 | nibbles[3] << 12);
                st.calibrationOffset[v - 11] = w / 256.0;
                break;
            }
            default:
                break;
        }
    }

    void onBytes(Peer& p, const uint8_t* b, size_t n) {
        {
            std::lock_guard lock(mutex);
            received.insert(received.end(), b, b + n);
        }
        for (size_t i = 0; i < n; ++i) {
            uint8_t c = b[i];
            if (p.haveFirst) {
                p.haveFirst = false;
                if ((c & 0x0F) == 0x0A) {
                    apply(p, p.first & 0x0F, c >> 4);
                    continue;
                }
            }
            if ((c & 0xF0) == 0xA0) {
                p.haveFirst = true;
                p.first = c;
            } else if (c == kWakeUpByte || c == kSecondWakeUpByte) {
                std::lock_guard lock(mutex);
                ++st.wakeUps;
            }
        }
    }

    // The levels of this tick: a record drifting from second to second, shifted by the range, with the
    // Leq, min and max words of the running measurement.
    std::vector<uint8_t> statusMessage() {
        const int index = static_cast<int>(tick / kTicksPerSecond);
        if (index != baseIndex) {
            for (int k = 0; k < 2; ++k) {
                SampleRecordOptions so;
                so.type = o.type;
                so.vin = o.vin;
                so.index = index + k;
                base[k] = *makeSampleRecord(so);
            }
            baseIndex = index;
        }
        const double f = (tick % kTicksPerSecond) / double(kTicksPerSecond);
        AcquiredValues v;
        v.record = base[0];
        std::lock_guard lock(mutex);
        const double shift = kRangeStepDb * st.range;
        const size_t n = v.record.levels.size();
        if (roles.size() != n) {
            roles = levelWordRoles(v.record.dimensions);
            energy.assign(n, 0.0);
            low.assign(n, 0.0);
            high.assign(n, 0.0);
            shown.assign(n, 0.0);
        }
        std::vector<double>& now = v.record.levels;
        for (size_t i = 0; i < n; ++i) {
            now[i] = base[0].levels[i] * (1 - f) + base[1].levels[i] * f;
            if (now[i] > 0) now[i] += shift;  // words that the layout leaves at 0 stay 0
        }
        // While the measurement runs, Leq, min and max gather the instantaneous levels since its start;
        // while it is stopped they keep their last values.
        if (st.running) {
            for (size_t i = 0; i < n; ++i) {
                const double x = now[i];
                if (accumulated == 0) {
                    energy[i] = 0;
                    low[i] = high[i] = x;
                }
                energy[i] += std::pow(10.0, x / 10.0);
                low[i] = std::min(low[i], x);
                high[i] = std::max(high[i], x);
            }
            ++accumulated;
        }
        const bool measured = accumulated > 0;
        for (size_t i = 0; i < n; ++i) {
            const WordRole& r = roles[i];
            const auto src = static_cast<size_t>(r.source);
            switch (r.kind) {
                case WordRole::Instant:
                    shown[i] = now[i];
                    break;
                case WordRole::Leq:
                    if (st.running || !measured)
                        shown[i] = measured ? 10.0 * std::log10(energy[src] / accumulated) : now[src];
                    break;
                case WordRole::Min:
                    if (st.running || !measured) shown[i] = measured ? low[src] : now[src];
                    break;
                case WordRole::Max:
                    if (st.running || !measured) shown[i] = measured ? high[src] : now[src];
                    break;
                case WordRole::Peak:
                    if (st.running || !measured)
                        shown[i] = (measured ? high[src] : now[src]) + kPeakAboveMaxDb;
                    break;
            }
        }
        v.record.levels = shown;
        v.running = st.running;
        v.record.header.vin = o.vin;
        v.record.tail.rangeIndex = static_cast<uint16_t>(st.range);
        v.record.trailer.overloadStatus = {0, 0, 0};
        v.record.trailer.calibrationOffset = st.calibrationOffset;
        return EncodeStatusMessage(v);
    }

    void queueFrame(Peer& p, std::vector<uint8_t> frame, bool badChecksum) {
        if (badChecksum) frame.back() = static_cast<uint8_t>(frame.back() + 1);
        if (p.out.size() + frame.size() > kOutputLimit) {  // the PC does not read: the frame is lost
            ++framesDropped;
            return;
        }
        if (o.garbage) {
            static const uint8_t kNoise[] = {'T', 'q', '-', 0x00, 'T', 0xFF, 'v'};
            size_t k = 1 + random() % 6;
            for (size_t i = 0; i < k; ++i) p.out.push_back(kNoise[random() % sizeof kNoise]);
        }
        if (o.splitFrames) {
            size_t a = 1 + random() % 9, b = frame.size() / 2;
            p.pauses.push_back({p.out.size() + a, 2});
            p.pauses.push_back({p.out.size() + b, 2});
        }
        p.out.insert(p.out.end(), frame.begin(), frame.end());
    }

    // The next sample of the stream in counts, clipped to 24 bits.
    double streamValue(Peer& p) {
        double v = 0.0;
        if (o.signal.empty()) {
            const double t = static_cast<double>(p.streamSample) / kStreamRate;
            v = (static_cast<int>(random()) - 128) * (kStreamNoise / 128.0);
            for (const StreamTone& tone : kStreamTones)
                v += tone.amplitude * std::sin(2.0 * std::numbers::pi * tone.frequency * t);
        } else {
            if (!p.synth) p.synth = std::make_unique<SignalSynth>(o.signal, kStreamRate);
            v = p.synth->next() * kSimulatorCountsPerPascal;
        }
        constexpr double kFullScale = 8'388'607.0;  // the largest signed 24-bit sample
        return std::clamp(v, -kFullScale - 1.0, kFullScale);
    }

    // The samples due since the last tick by the real clock, so that the stream keeps the instrument's
    // rate however the ticks fall.
    void countDueSamples(Peer& p) {
        const uint32_t now = msNow();
        const uint32_t elapsed = p.streamClockSet ? now - p.streamClockMs : static_cast<uint32_t>(o.periodMs);
        p.streamClockMs = now;
        p.streamClockSet = true;
        p.streamDue += kStreamRate * elapsed / 1000.0;
    }

    // The frames of one tick of the raw stream. The instrument samples on its own clock: a frame that does
    // not fit the output buffer, because the PC does not read fast enough, is lost and counted, and the
    // signal goes on as if it had been sent. With waitForReader the stream is held back instead, so the
    // signal the PC reads is continuous however slowly it reads.
    void queueStream(Peer& p) {
        countDueSamples(p);
        auto put = [&](std::initializer_list<uint8_t> frame) {
            if (p.out.size() + frame.size() > kOutputLimit) {
                ++framesDropped;
                return;
            }
            p.out.insert(p.out.end(), frame);
        };
        while (p.streamDue >= 1.0) {
            if (o.waitForReader && p.out.size() + 2 * kStreamFrameBytes > kOutputLimit) {
                p.streamDue = std::min(p.streamDue, 1.0);  // held back: it waits, it does not catch up
                return;
            }
            p.streamDue -= 1.0;
            const auto s = static_cast<uint32_t>(static_cast<int32_t>(std::lround(streamValue(p))));
            put({kSampleMarker, static_cast<uint8_t>(s), static_cast<uint8_t>(s >> 8),
                 static_cast<uint8_t>(s >> 16)});
            if (++p.streamSample % kStreamStatusEvery == 0) {
                // Selector 0 sets value A, 1 value B; a selector with bit 7 set carries nothing for the PC.
                static constexpr uint8_t kSelectors[] = {0x00, 0x01, 0x80};
                const uint8_t selector = kSelectors[(p.streamSample / kStreamStatusEvery) % 3];
                const uint16_t value =
                    selector == 0 ? o.streamStatusA : (selector == 1 ? o.streamStatusB : uint16_t{0xFFFF});
                put({kStatusMarker, selector, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
            }
        }
    }

    void onTick() {
        ++tick;
        Peer* peers[2] = {&tcp, &pty};
        if (o.stream || o.type == kRawSignalType) {
            for (Peer* p : peers)
                if (p->fd >= 0) queueStream(*p);
            return;
        }
        bool anySending = false;
        for (Peer* p : peers) anySending |= p->fd >= 0 && p->sending;
        {
            std::lock_guard lock(mutex);
            st.sending = anySending;
            if (!anySending || (o.silenceAfter > 0 && st.messagesSent >= o.silenceAfter)) return;
        }
        std::vector<uint8_t> payload = statusMessage();
        std::vector<uint8_t> frame = buildFrame(kStatusFrameType, payload.data(), payload.size());
        int sent;
        {
            std::lock_guard lock(mutex);
            sent = ++st.messagesSent;
        }
        const bool bad = o.badChecksumEvery > 0 && sent % o.badChecksumEvery == 0;
        for (Peer* p : peers)
            if (p->fd >= 0 && p->sending) queueFrame(*p, frame, bad);
        if (o.dropAfter > 0 && sent >= o.dropAfter && !dropped) {
            dropped = true;
            flush(tcp);
            closePeer(tcp);
            flush(pty);
            closePeer(pty);
            if (ptySlave >= 0) ::close(ptySlave);
            ptySlave = -1;
        }
    }

    void flush(Peer& p) {
        size_t done = 0;
        while (done < p.out.size()) {
            size_t end = p.out.size();
            if (!p.pauses.empty()) end = std::min(end, p.pauses.front().first);
            if (end == done && !p.pauses.empty()) {
                // A split point: let the piece before it travel on its own.
                ::usleep(p.pauses.front().second * 1000);
                p.pauses.erase(p.pauses.begin());
                continue;
            }
            // A PC that has closed the connection must not end the process with SIGPIPE.
            ssize_t k = p.isPty ? ::write(p.fd, p.out.data() + done, end - done)
                                : ::send(p.fd, p.out.data() + done, end - done, MSG_NOSIGNAL);
            if (k <= 0) break;
            done += static_cast<size_t>(k);
        }
        p.out.erase(p.out.begin(), p.out.begin() + static_cast<std::ptrdiff_t>(done));
        for (auto& pause : p.pauses) pause.first -= done;
    }

    void readFrom(Peer& p) {
        uint8_t buf[512];
        ssize_t k = ::read(p.fd, buf, sizeof buf);
        if (k > 0) {
            onBytes(p, buf, static_cast<size_t>(k));
        } else if (!p.isPty && (k == 0 || (errno != EAGAIN && errno != EINTR))) {
            closePeer(p);  // the PC closed the connection
        }
    }
};

Result<std::unique_ptr<Simulator>> Simulator::Start(const SimulatorOptions& options) {
    if (!lookupRecordDimensions(options.type) && options.type != kRawSignalType)
        return fail("device type " + std::to_string(options.type) + " has no record layout");
    std::unique_ptr<Simulator> s(new Simulator);
    s->impl_ = std::make_unique<Impl>();
    Impl& m = *s->impl_;
    m.o = options;
    m.st.running = options.runningAtStart;
    if (options.tcp) {
        m.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        int one = 1;
        ::setsockopt(m.listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(options.port);
        if (::inet_pton(AF_INET, options.bindAddress.c_str(), &a.sin_addr) != 1)
            return fail("not an IPv4 address: " + options.bindAddress);
        if (::bind(m.listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(m.listenFd, 4) != 0)
            return fail("can't listen on " + options.bindAddress + ":" + std::to_string(options.port) + ": " +
                        std::strerror(errno));
        socklen_t len = sizeof a;
        ::getsockname(m.listenFd, reinterpret_cast<sockaddr*>(&a), &len);
        s->tcpPort_ = ntohs(a.sin_port);
    }
    if (options.pty) {
        int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return fail(std::string("can't make a pseudo-terminal: ") + std::strerror(errno));
        s->ptyPath_ = ::ptsname(master);
        m.ptySlave = ::open(s->ptyPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        if (::tcgetattr(master, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(master, TCSANOW, &t);
        }
        setNonBlocking(master);
        m.pty.fd = master;
        m.pty.isPty = true;
    }
    s->thread_ = std::thread([p = s.get()] { p->Run(); });
    return s;
}

Simulator::~Simulator() {
    Stop();
}

void Simulator::Stop() {
    if (!impl_) return;
    impl_->stop.Set();
    if (thread_.joinable()) thread_.join();
    Impl& m = *impl_;
    m.closePeer(m.tcp);
    m.closePeer(m.pty);
    if (m.listenFd >= 0) ::close(m.listenFd);
    if (m.ptySlave >= 0) ::close(m.ptySlave);
    m.listenFd = m.ptySlave = -1;
}

uint64_t Simulator::droppedFrames() const {
    return impl_->framesDropped.load();
}

SimulatorState Simulator::state() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->st;
}

std::vector<uint8_t> Simulator::receivedBytes() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

void Simulator::Run() {
    Impl& m = *impl_;
    uint32_t next = msNow() + static_cast<uint32_t>(m.o.periodMs);
    while (!m.stop.IsSet()) {
        pollfd fds[4];
        int n = 0;
        fds[n++] = {m.stop.fd(), POLLIN, 0};
        const int listenAt = m.listenFd >= 0 ? n : -1;
        if (listenAt >= 0) fds[n++] = {m.listenFd, POLLIN, 0};
        const int tcpAt = m.tcp.fd >= 0 ? n : -1;
        if (tcpAt >= 0)
            fds[n++] = {m.tcp.fd, static_cast<short>(POLLIN | (m.tcp.out.empty() ? 0 : POLLOUT)), 0};
        const int ptyAt = m.pty.fd >= 0 ? n : -1;
        if (ptyAt >= 0)
            fds[n++] = {m.pty.fd, static_cast<short>(POLLIN | (m.pty.out.empty() ? 0 : POLLOUT)), 0};
        const int wait = static_cast<int>(std::max<int32_t>(0, static_cast<int32_t>(next - msNow())));
        if (::poll(fds, static_cast<nfds_t>(n), wait) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) break;
        if (listenAt >= 0 && (fds[listenAt].revents & POLLIN)) {
            int c = ::accept4(m.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c >= 0) {
                // The adapter serves one PC at a time: a new connection replaces the old one.
                m.closePeer(m.tcp);
                int one = 1;
                ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                m.tcp.fd = c;
            }
        }
        if (tcpAt >= 0 && m.tcp.fd >= 0) {
            if (fds[tcpAt].revents & (POLLIN | POLLHUP | POLLERR)) m.readFrom(m.tcp);
            if (m.tcp.fd >= 0 && (fds[tcpAt].revents & POLLOUT)) m.flush(m.tcp);
        }
        if (ptyAt >= 0 && m.pty.fd >= 0) {
            if (fds[ptyAt].revents & POLLIN) m.readFrom(m.pty);
            if (fds[ptyAt].revents & POLLOUT) m.flush(m.pty);
        }
        const uint32_t now = msNow();
        if (static_cast<int32_t>(now - next) >= 0) {
            next += static_cast<uint32_t>(m.o.periodMs);
            if (static_cast<int32_t>(now - next) > 10 * m.o.periodMs)
                next = now + static_cast<uint32_t>(m.o.periodMs);
            m.onTick();
            if (m.tcp.fd >= 0) m.flush(m.tcp);
            if (m.pty.fd >= 0) m.flush(m.pty);
        }
    }
}

}  // namespace k470
