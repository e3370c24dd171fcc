// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP link to the instrument's WiFi tele adapter: a socket bound to the PC's adapter address and
// connected to the tele adapter on port 10001, carrying the same commands and frames as the USB link.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/message_link.h"

namespace k470 {

class SettingsStore;

constexpr uint16_t kTelePort = 10001;

struct TeleEndpoint {
    std::string localAddress;   // "IP1": the PC's WiFi adapter; the socket is bound to it
    std::string remoteAddress;  // "IP2": the instrument's tele adapter
    uint16_t port = kTelePort;
};

// Settings of section "Init": the link kind and the two addresses.
constexpr const char* kDefaultLocalAddress = "192.168.4.2";
constexpr const char* kDefaultRemoteAddress = "192.168.4.1";
enum class LinkKind { Usb = 0, WiFi = 1 };
LinkKind readLinkKind(const SettingsStore& settings);
TeleEndpoint readTeleEndpoint(const SettingsStore& settings);
// What the "Tele parameters" dialog stores on OK; false when the settings file cannot be written.
bool writeTeleSettings(SettingsStore& settings, LinkKind kind, const std::string& localAddress,
                       const std::string& remoteAddress);

class TeleLink : public MessageLink {
  public:
    // Longest wait for the adapter to accept the connection.
    static constexpr int kConnectTimeoutMs = 3000;

    TeleLink() = default;
    ~TeleLink() override { Close(); }

    // Closes any earlier connection, then connects and starts the threads. Callers test IsConnected.
    void Connect(const TeleEndpoint& endpoint, int timeoutMs = kConnectTimeoutMs);
    void Close();
    bool IsConnected() const { return socket_ >= 0; }
    // True once the instrument (or the network) has ended the connection: the reader saw its end or a
    // failure. Cleared by Connect.
    bool PeerClosed() const { return peerClosed_.load(std::memory_order_acquire); }
    // errno of the last failed Connect; EINVAL for an address that is not a dotted IPv4 address.
    int lastError() const { return lastError_; }

  protected:
    void TransportWrite(const uint8_t* bytes, size_t n, const StopSignal& stop) override;
    size_t TransportRead(uint8_t* buffer, size_t capacity, const StopSignal& stop) override;

  private:
    int socket_ = -1;
    int lastError_ = 0;
    std::atomic<bool> peerClosed_{false};
    std::mutex closeMutex_;
};

}  // namespace k470
