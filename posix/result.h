// What a helper of this project that can fail returns: its value, or why it failed. The
// reason is a text for the user (core/result.h names the QString form `Result`; the plain C++
// tag copy uses a std::string). A helper with nothing to return uses T = void.
//
//     Result<int> Parse(const QString& text);      // return 42;  or  return Failed{why};
//     if (const Result<int> n = Parse(t); !n) show(n.error()); else use(*n);
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace eb {

// The failing side of a result: `return Failed{reason};`.
template <typename Error>
struct Failed {
    Error error;
};
template <typename Error>
Failed(Error) -> Failed<Error>;

template <typename T, typename Error>
class [[nodiscard]] BasicResult {
public:
    BasicResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <typename E>
    BasicResult(Failed<E> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    // The value; only when ok().
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    T valueOr(T other) const { return ok() ? std::get<0>(state_) : std::move(other); }
    // Why it failed; only when !ok().
    const Error& error() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

template <typename Error>
class [[nodiscard]] BasicResult<void, Error> {
public:
    BasicResult() = default;
    template <typename E>
    BasicResult(Failed<E> failure) : error_(std::move(failure.error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};

}  // namespace eb
