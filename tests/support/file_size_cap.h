// SPDX-License-Identifier: GPL-3.0-or-later
// Caps the size of the files this process writes, as a full disk would, until the end of the scope: a write
// past the cap fails with EFBIG instead of raising SIGXFSZ.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace k470::test {

class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = old_;
        cap.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

  private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace k470::test
