// Helpers shared by the commands that connect to an instrument: the run's own link settings and the
// acquisition's messages on standard error.
#pragma once

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_command.h"
#include "link/acquisition_controller.h"

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

}  // namespace k470::cli
