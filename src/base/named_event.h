// SPDX-License-Identifier: GPL-3.0-or-later
// A named manual-reset event that any process can set: once set it stays set until reset. It is kept in a
// POSIX named semaphore whose count is nonzero while the event is set, so a shell command can set it for a
// running program ("k470-cli trigger").
#pragma once

#include <string>

#include "base/result.h"

namespace k470 {

// The event that starts an armed autorecording.
constexpr const char* kAutoSaveEventName = "K470StartAutoSaveEvent";

class NamedEvent {
  public:
    // Opens the event of this name, creating it (not set) when it does not exist yet.
    static Result<NamedEvent> Open(const std::string& name);
    // Removes the name from the system; events already open keep working.
    static void Unlink(const std::string& name);

    NamedEvent(NamedEvent&& other) noexcept;
    NamedEvent& operator=(NamedEvent&& other) noexcept;
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;
    ~NamedEvent();

    void Set();
    void Reset();
    bool IsSet() const;

  private:
    explicit NamedEvent(void* sem) : sem_(sem) {}
    void* sem_ = nullptr;  // sem_t*
};

}  // namespace k470
