// SPDX-License-Identifier: GPL-3.0-or-later
// Value-or-error results. Core functions return these instead of throwing: the error carries the message
// that the user sees (already in the words of the active lexicon), and callers pass it on unchanged.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace k470 {

struct Error {
    std::string message;
    // The system's reason when a file operation failed ("No such file or directory"), else empty. Kept apart
    // from the message so that the window shows its fixed texts and the command line adds the reason.
    std::string reason = {};
};

inline Error fail(std::string message) {
    return Error{std::move(message)};
}

inline Error fail(std::string message, std::string reason) {
    return Error{std::move(message), std::move(reason)};
}

// The message followed by ": reason" when there is a reason.
inline std::string describe(const Error& error) {
    return error.reason.empty() ? error.message : error.message + ": " + error.reason;
}

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(v_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(v_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(v_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<1>(v_);
    }

  private:
    std::variant<T, Error> v_;
};

// A result without a value: success, or an error with its message.
class [[nodiscard]] Status {
  public:
    Status() = default;
    Status(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const {
        assert(!ok_);
        return error_;
    }

  private:
    Error error_;
    bool ok_ = true;
};

}  // namespace k470
