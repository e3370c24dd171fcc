// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/named_event.h"

#include <fcntl.h>
#include <semaphore.h>
#include <cerrno>
#include <cstring>

#include "base/lexicon.h"

namespace k470 {

namespace {

std::string semaphoreName(const std::string& name) {
    return name.starts_with('/') ? name : "/" + name;
}
sem_t* sem(void* p) {
    return static_cast<sem_t*>(p);
}

}  // namespace

Result<NamedEvent> NamedEvent::Open(const std::string& name) {
    sem_t* s = ::sem_open(semaphoreName(name).c_str(), O_CREAT, 0666, 0);
    if (s == SEM_FAILED) return fail(Word::CantOpenEvent, {name, std::strerror(errno)});
    return NamedEvent(s);
}

void NamedEvent::Unlink(const std::string& name) {
    ::sem_unlink(semaphoreName(name).c_str());
}

NamedEvent::NamedEvent(NamedEvent&& other) noexcept : sem_(other.sem_) {
    other.sem_ = nullptr;
}

NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept {
    if (this != &other) {
        if (sem_) ::sem_close(sem(sem_));
        sem_ = other.sem_;
        other.sem_ = nullptr;
    }
    return *this;
}

NamedEvent::~NamedEvent() {
    if (sem_) ::sem_close(sem(sem_));
}

void NamedEvent::Set() {
    // A count of one means set. Two processes setting at once may leave two; Reset takes them all.
    if (!IsSet()) ::sem_post(sem(sem_));
}

void NamedEvent::Reset() {
    while (::sem_trywait(sem(sem_)) == 0) {
    }
}

bool NamedEvent::IsSet() const {
    int value = 0;
    return ::sem_getvalue(sem(sem_), &value) == 0 && value > 0;
}

}  // namespace k470
