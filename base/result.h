#pragma once
// A value or an error message. The league store, the settings and the file
// helpers report failures this way; the caller nearest to the user decides how
// to show them.

#include <string>
#include <utility>
#include <variant>

namespace qgu::base {

struct Error {
  std::string message;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : state_(std::move(error)) {}  // NOLINT

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  // Only valid when ok().
  T& value() & { return std::get<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  // By value, so `for (auto& x : Load().value().items)` keeps the items alive.
  T value() && { return std::get<T>(std::move(state_)); }

  // Only valid when !ok().
  const std::string& error() const { return std::get<Error>(state_).message; }

 private:
  std::variant<T, Error> state_;
};

// Success carries nothing.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error.message)), failed_(true) {}  // NOLINT

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& error() const { return error_; }

 private:
  std::string error_;
  bool failed_ = false;
};

using Status = Result<void>;

inline Error Fail(std::string message) { return Error{std::move(message)}; }

}  // namespace qgu::base
