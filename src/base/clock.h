// Milliseconds for the code whose behaviour depends on time (acquisition ticks, replay pacing). Injected, so
// that tests drive time by hand instead of sleeping.
#pragma once

#include <chrono>
#include <cstdint>

namespace k470 {

struct Clock {
    virtual ~Clock() = default;
    // A millisecond tick count; wraps around like the platform's tick counter.
    virtual uint32_t nowMs() const = 0;
};

class SteadyClock : public Clock {
public:
    uint32_t nowMs() const override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
    }
};

// Time that moves only when told to.
class ManualClock : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t nowMs() const override { return now_; }
    void set(uint32_t ms) { now_ = ms; }
    void advance(uint32_t ms) { now_ += ms; }

private:
    uint32_t now_;
};

}  // namespace k470
