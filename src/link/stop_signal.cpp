// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace k470 {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    // Without this descriptor no link could ever be stopped; there is no sensible way on.
    if (fd_ < 0) std::abort();
}

StopSignal::~StopSignal() {
    ::close(fd_);
}

void StopSignal::Set() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

void StopSignal::Clear() {
    uint64_t value = 0;
    [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
}

bool StopSignal::IsSet() const {
    return WaitFor(0);
}

bool StopSignal::WaitFor(int ms) const {
    pollfd p{fd_, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & POLLIN);
}

}  // namespace k470
