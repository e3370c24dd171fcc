// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux serial backend: a terminal device opened non-blocking, driven with termios, modem-control
// ioctls and poll() together with the stop signal.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>

#include "link/serial_port.h"
#include "link/stop_signal.h"

namespace k470 {

namespace detail {
bool setCustomBaudRate(int fd, uint32_t baud);
}

namespace {

constexpr uint32_t kMaxBaud = 3'000'000;  // the bridge's fastest rate

int remainingMs(std::chrono::steady_clock::time_point deadline, int timeoutMs) {
    if (timeoutMs < 0) return -1;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

class TtySerialPort : public SerialPort {
  public:
    TtySerialPort(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}
    ~TtySerialPort() override {
        // Exclusive mode outlives this descriptor while another holds the terminal (the far end of a
        // pseudo-terminal does), and would keep us from opening it again.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    const std::string& name() const override { return name_; }

    bool SetLine8N1() override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return false;
        ::cfmakeraw(&t);
        t.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE);
        t.c_cflag |= CS8 | CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        return ::tcsetattr(fd_, TCSANOW, &t) == 0;
    }

    bool SetBaudRate(uint32_t baud) override {
        if (baud == 0 || baud > kMaxBaud) return false;
        return detail::setCustomBaudRate(fd_, baud);
    }

    bool SetFlowControl(FlowControl flow) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return false;
        if (flow == FlowControl::RtsCts)
            t.c_cflag |= CRTSCTS;
        else
            t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        return ::tcsetattr(fd_, TCSANOW, &t) == 0;
    }

    bool SetDtr(bool on) override { return modemLine(TIOCM_DTR, on); }
    bool SetRts(bool on) override { return modemLine(TIOCM_RTS, on); }

    bool QueueStatus(uint32_t& count) override {
        int n = 0;
        if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return false;
        count = static_cast<uint32_t>(n);
        return true;
    }

    IoResult Read(uint8_t* buffer, size_t n, const StopSignal* stop, int timeoutMs) override {
        return transfer(buffer, n, stop, timeoutMs, false);
    }

    IoResult Write(const uint8_t* data, size_t n, const StopSignal* stop, int timeoutMs) override {
        return transfer(const_cast<uint8_t*>(data), n, stop, timeoutMs, true);
    }

  private:
    bool modemLine(int line, bool on) { return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0; }

    // A read returns after the first bytes; a write goes on until all bytes are out.
    IoResult transfer(uint8_t* p, size_t n, const StopSignal* stop, int timeoutMs, bool writing) {
        IoResult r;
        if (n == 0) return r;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        const short event = writing ? POLLOUT : POLLIN;
        for (;;) {
            pollfd fds[2] = {{fd_, event, 0}, {stop ? stop->fd() : -1, POLLIN, 0}};
            int ready = ::poll(fds, stop ? 2 : 1, remainingMs(deadline, timeoutMs));
            if (ready < 0) {
                if (errno == EINTR) continue;
                r.status = IoResult::Failed;
                return r;
            }
            if (stop && (fds[1].revents & POLLIN)) {
                r.status = IoResult::Stopped;
                return r;
            }
            if (ready == 0) {
                r.status = IoResult::TimedOut;
                return r;
            }
            if (fds[0].revents & (POLLERR | POLLNVAL)) {
                r.status = IoResult::Failed;
                return r;
            }
            ssize_t k =
                writing ? ::write(fd_, p + r.count, n - r.count) : ::read(fd_, p + r.count, n - r.count);
            if (k > 0) {
                r.count += static_cast<size_t>(k);
                if (!writing || r.count == n) return r;
                continue;
            }
            if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            // End of file or an error such as EIO: the device or the far end of a pseudo-terminal is gone.
            r.status = IoResult::Failed;
            return r;
        }
    }

    std::string name_;
    int fd_;
};

std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool naturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
        long long n = i < s.size() && s.size() - i < 12 ? std::stoll(s.substr(i)) : -1;
        return std::make_pair(s.substr(0, i), n);
    };
    return split(a) < split(b);
}

// Whether a USB ancestor of the device directory carries the FTDI vendor id.
bool isFtdi(const std::string& sysRoot, const std::string& name) {
    char resolved[PATH_MAX];
    const std::string link = sysRoot + "/class/tty/" + name + "/device";
    if (!::realpath(link.c_str(), resolved)) return false;
    char root[PATH_MAX];
    if (!::realpath(sysRoot.c_str(), root)) return false;
    std::string dir = resolved;
    const std::string top = root;
    for (int depth = 0; depth < 16 && dir.size() > top.size() && dir.starts_with(top); ++depth) {
        std::string vendor = readFirstLine(dir + "/idVendor");
        if (!vendor.empty()) return vendor == "0403";  // FTDI's USB vendor id
        dir = dir.substr(0, dir.rfind('/'));
    }
    return false;
}

}  // namespace

std::unique_ptr<SerialPort> OpenTtySerialPort(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // A device that another program holds is skipped: the advisory lock that serial programs take, and
    // exclusive mode so that others cannot open it behind us.
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    ::ioctl(fd, TIOCEXCL);
    return std::make_unique<TtySerialPort>(path, fd);
}

std::vector<std::string> listFtdiTtys(const std::string& sysRoot) {
    std::vector<std::string> names;
    DIR* dir = ::opendir((sysRoot + "/class/tty").c_str());
    if (!dir) return names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (isFtdi(sysRoot, name)) names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::vector<std::string> FtdiTtyProvider::List() {
    std::vector<std::string> paths;
    for (const std::string& name : listFtdiTtys(sysRoot_)) paths.push_back(devRoot_ + "/" + name);
    return paths;
}

std::unique_ptr<SerialPort> FtdiTtyProvider::Open(const std::string& device) {
    return OpenTtySerialPort(device);
}

}  // namespace k470
