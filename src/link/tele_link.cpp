// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/tele_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include "base/settings_store.h"

namespace k470 {

LinkKind readLinkKind(const SettingsStore& settings) {
    return settings.ReadInt("Init", "AType", 0) != 0 ? LinkKind::WiFi : LinkKind::Usb;
}

TeleEndpoint readTeleEndpoint(const SettingsStore& settings) {
    TeleEndpoint e;
    e.localAddress = settings.ReadString("Init", "IP1", kDefaultLocalAddress);
    e.remoteAddress = settings.ReadString("Init", "IP2", kDefaultRemoteAddress);
    return e;
}

bool writeTeleSettings(SettingsStore& settings, LinkKind kind, const std::string& localAddress,
                       const std::string& remoteAddress) {
    return settings.WriteInt("Init", "AType", kind == LinkKind::WiFi ? 1 : 0) &&
           settings.WriteString("Init", "IP1", localAddress) &&
           settings.WriteString("Init", "IP2", remoteAddress);
}

namespace {

bool parseAddress(const std::string& text, uint16_t port, sockaddr_in& a) {
    a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    return ::inet_pton(AF_INET, text.c_str(), &a.sin_addr) == 1;
}

}  // namespace

void TeleLink::Connect(const TeleEndpoint& endpoint, int timeoutMs) {
    if (IsConnected()) Close();
    sockaddr_in local{}, remote{};
    if (!parseAddress(endpoint.localAddress, 0, local) ||
        !parseAddress(endpoint.remoteAddress, endpoint.port, remote)) {
        lastError_ = EINVAL;
        return;
    }
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) {
        lastError_ = errno;
        return;
    }
    auto failWith = [&](int error) {
        lastError_ = error;
        ::close(s);
    };
    if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return failWith(errno);
    // Connected without blocking and waited for with a limit: an address nobody answers would otherwise
    // hold the caller for minutes.
    if (::connect(s, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        if (errno != EINPROGRESS) return failWith(errno);
        pollfd p{s, POLLOUT, 0};
        int r;
        do {
            r = ::poll(&p, 1, timeoutMs);
        } while (r < 0 && errno == EINTR);
        if (r <= 0) return failWith(r == 0 ? ETIMEDOUT : errno);
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        if (error != 0) return failWith(error);
    }
    lastError_ = 0;
    peerClosed_.store(false, std::memory_order_release);
    socket_ = s;
    StartWorkers();
}

void TeleLink::Close() {
    StopWorkers();
    std::lock_guard lock(closeMutex_);
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

void TeleLink::TransportWrite(const uint8_t* bytes, size_t n, const StopSignal& stop) {
    size_t sent = 0;
    while (sent < n) {
        pollfd fds[2] = {{socket_, POLLOUT, 0}, {stop.fd(), POLLIN, 0}};
        int r = ::poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[1].revents & POLLIN)) return;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return;  // the connection is gone
        ssize_t k = ::send(socket_, bytes + sent, n - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (k > 0)
            sent += static_cast<size_t>(k);
        else if (k < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

size_t TeleLink::TransportRead(uint8_t* buffer, size_t capacity, const StopSignal& stop) {
    pollfd fds[2] = {{socket_, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    int r = ::poll(fds, 2, -1);
    if (r < 0 || (fds[1].revents & POLLIN)) return 0;
    ssize_t k = ::recv(socket_, buffer, capacity, MSG_DONTWAIT);
    if (k > 0) return static_cast<size_t>(k);
    // The peer has closed, or the connection failed: pause, so that the reader waits for the link to be
    // closed instead of spinning.
    if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
        peerClosed_.store(true, std::memory_order_release);
        stop.WaitFor(3);
    }
    return 0;
}

}  // namespace k470
