// Helpers shared by the commands that connect to an instrument: the run's own link settings and the
// acquisition's messages on standard error.
#pragma once

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    void SetProgress(int position) override { std::fprintf(stderr, "connecting: %d%%\n", position); }
    void SetTitle(const std::string& title) override {
        if (title != lastTitle_) std::fprintf(stderr, "%s\n", title.c_str());
        lastTitle_ = title;
    }
    void NewData() override { ++newData; }
    long long newData = 0;

  private:
    std::string lastTitle_;
};

// The link settings of this run, kept apart from the user's own settings.
class RunSettings {
  public:
    explicit RunSettings(const char* command) {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/k470-" + command + "-" +
                std::to_string(::getpid()) + ".ini";
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
