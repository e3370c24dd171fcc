// SPDX-License-Identifier: GPL-3.0-or-later
// A manual-reset flag that blocking reads and writes of the links wait on beside their descriptor, so that
// closing a link ends them at once (an eventfd that poll() sees as readable while the flag is set).
#pragma once

namespace k470 {

class StopSignal {
  public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Set();
    void Clear();
    bool IsSet() const;
    // Readable while set; for poll().
    int fd() const { return fd_; }
    // Waits up to ms milliseconds; true when the flag is set (at once, or during the wait).
    bool WaitFor(int ms) const;

  private:
    int fd_ = -1;
};

}  // namespace k470
