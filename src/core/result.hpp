#pragma once
// Errors are values: a message for the user travels up to main, which prints it.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace quillo {

/// A message for the user, written by main after "quillo: ".
struct Error {
  std::string message;
};

/// Either a value or an Error.
template <class T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  T& value() { return std::get<T>(state_); }
  const T& value() const { return std::get<T>(state_); }
  const std::string& error() const { return std::get<Error>(state_).message; }

 private:
  std::variant<T, Error> state_;
};

/// The outcome of a step that yields nothing: an error, or nullopt on success.
using MaybeError = std::optional<Error>;

}  // namespace quillo
