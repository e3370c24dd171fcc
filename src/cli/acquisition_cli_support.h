// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the commands that connect to an instrument: the run's own link settings and the
// acquisition's messages on standard error.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "base/clock.h"
#include "cli/cli_command.h"
#include "link/acquisition_controller.h"
#include "link/device_link.h"
#include "link/serial_port.h"
#include "link/tele_link.h"

namespace k470::cli {

// Progress and messages on standard error.
class StderrView : public AcquisitionView {
  public:
    void ShowMessage(const std::string& text) override { printError(text); }
    // Progress only on a terminal: a log gets the messages and the final count, not every step.
    void SetProgress(int position) override {
        if (showProgress()) printNote("connecting: " + std::to_string(position) + "%");
    }
    void SetTitle(const std::string& title) override {
        if (title != lastTitle_ && showProgress()) printNote(title);
        lastTitle_ = title;
    }
    void NewData() override { ++newData; }
    long long newData = 0;

  private:
    std::string lastTitle_;
};

// Removes the settings files "<prefix><pid>.ini" of earlier runs that were killed before they could remove
// their own (the process of the number in the name no longer exists).
inline void removeStaleRunSettings(const std::string& directory, const std::string& prefix) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(".ini")) continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        long long pid = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
        if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0 || pid > 0x7FFFFFFF)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove(entry.path(), ec);
    }
}

// The link settings of this run, kept apart from the user's own settings.
class RunSettings {
  public:
    explicit RunSettings(const char* command) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string directory = tmp && *tmp ? tmp : "/tmp";
        const std::string prefix = std::string("k470-") + command + "-";
        removeStaleRunSettings(directory, prefix);
        path_ = directory + "/" + prefix + std::to_string(::getpid()) + ".ini";
    }
    ~RunSettings() { ::unlink(path_.c_str()); }
    RunSettings(const RunSettings&) = delete;
    RunSettings& operator=(const RunSettings&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The links of a command that connects to an instrument: the USB instrument named (or else the first FTDI
// bridge that opens), the tele adapter, the steady clock, and messages on standard error.
struct CliLinks {
    explicit CliLinks(const std::string& usbDevice)
        : provider(usbDevice.empty()
                       ? std::unique_ptr<SerialPortProvider>(std::make_unique<FtdiTtyProvider>())
                       : std::make_unique<FixedTtyProvider>(std::vector<std::string>{usbDevice})),
          usb(*provider) {}
    AcquisitionDeps deps(const SettingsStore& settings, NamedEvent* trigger = nullptr,
                         uint16_t telePort = kTelePort) {
        return {usb,
                tele,
                settings,
                clock,
                [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                trigger,
                nullptr,
                telePort};
    }

    std::unique_ptr<SerialPortProvider> provider;
    DeviceLink usb;
    TeleLink tele;
    SteadyClock clock;
    StderrView view;
};

}  // namespace k470::cli
