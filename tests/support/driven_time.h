// SPDX-License-Identifier: GPL-3.0-or-later
// Time that a test drives for the sessions of a window: the clock moves only when the test advances it, so
// time-outs, silence limits, recording periods and the replay's pace never wait for the real clock. The
// connect sequence's pauses pass for real (a simulator answers in real time) and move the clock with them.
#pragma once

#include <QTest>
#include <chrono>
#include <cstdint>
#include <thread>

#include "app/sessions/session.h"
#include "base/clock.h"

namespace k470::test {

struct DrivenTime {
    ManualClock clock{1000};

    // For MainWindow::globals().UseTime: the sessions opened from then on go by this clock.
    app::SessionTime sessionTime() {
        return {clock, [this](uint32_t ms) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                    clock.advance(ms);
                }};
    }

    // Moves the clock on by stepMs at a time while the window's timers run, until done() holds; false when
    // it does not within boundMs of real time.
    template <class Done>
    bool advanceUntil(uint32_t stepMs, Done done, int boundMs = 10000) {
        return QTest::qWaitFor(
            [&] {
                if (done()) return true;
                clock.advance(stepMs);
                return false;
            },
            boundMs);
    }
};

}  // namespace k470::test
