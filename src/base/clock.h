// SPDX-License-Identifier: GPL-3.0-or-later
// Millisecond time for code whose behaviour depends on time: the steady clock in the program, a clock that
// tests move by hand.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace k470 {

struct Clock {
    virtual ~Clock() = default;
    virtual uint32_t nowMs() const = 0;
};

// Milliseconds of the monotonic clock; wraps like a 32-bit tick counter.
class SteadyClock : public Clock {
  public:
    uint32_t nowMs() const override {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

// A clock that only moves when told to.
class ManualClock : public Clock {
  public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t nowMs() const override { return now_.load(); }
    void advance(uint32_t ms) { now_ += ms; }
    void set(uint32_t ms) { now_ = ms; }

  private:
    std::atomic<uint32_t> now_;
};

}  // namespace k470
