// Results and errors of the framework. Any thread.
//
// Every framework and host call that can fail answers a Result<T>: either the value or an
// Error that says what went wrong and where it was raised. Nothing throws across a module
// boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <source_location>
#include <string>
#include <utility>
#include <variant>

namespace brantic {

enum class ErrorKind : int32_t {
  NullPointer = 1,
  OutOfMemory = 2,
  IllegalState = 3,
  IllegalArgument = 4,
  Io = 5,
  Unsupported = 6,
  Cancelled = 7,
};

const char* ErrorKindName(ErrorKind kind);

class Error {
 public:
  Error(ErrorKind kind, std::string message, std::source_location where = std::source_location::current())
      : kind_(kind),
        message_(std::move(message)),
        file_(where.file_name()),
        line_(static_cast<int32_t>(where.line())) {}

  ErrorKind Kind() const { return kind_; }
  const std::string& Message() const { return message_; }
  const char* File() const { return file_; }
  int32_t Line() const { return line_; }
  // "illegal state: <message> (file.cpp:12)"
  std::string ToText() const;

 private:
  ErrorKind kind_;
  std::string message_;
  const char* file_;
  int32_t line_;
};

inline Error NullPointerError(std::string message = "null pointer",
                              std::source_location where = std::source_location::current()) {
  return Error(ErrorKind::NullPointer, std::move(message), where);
}
inline Error OutOfMemoryError(std::string message = "out of memory",
                              std::source_location where = std::source_location::current()) {
  return Error(ErrorKind::OutOfMemory, std::move(message), where);
}
inline Error IllegalStateError(std::string message, std::source_location where = std::source_location::current()) {
  return Error(ErrorKind::IllegalState, std::move(message), where);
}
inline Error IllegalArgumentError(std::string message, std::source_location where = std::source_location::current()) {
  return Error(ErrorKind::IllegalArgument, std::move(message), where);
}
inline Error IoError(std::string message, std::source_location where = std::source_location::current()) {
  return Error(ErrorKind::Io, std::move(message), where);
}

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool HasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return HasValue(); }

  T& Value() & { return std::get<0>(state_); }
  const T& Value() const& { return std::get<0>(state_); }
  T&& Value() && { return std::get<0>(std::move(state_)); }
  T ValueOr(T fallback) const& { return HasValue() ? Value() : std::move(fallback); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  T& operator*() & { return Value(); }
  const T& operator*() const& { return Value(); }

  const Error& GetError() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool HasValue() const { return !error_.has_value(); }
  explicit operator bool() const { return HasValue(); }
  const Error& GetError() const { return *error_; }

 private:
  std::optional<Error> error_;
};

inline Result<void> OK() { return {}; }

}  // namespace brantic
