// A value or the reason there is none: how the application's layers hand failures to each other.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace moldbom {

// The reason a value could not be had, as a sentence a user can act on.
struct Failure {
  std::string why;
};

template <class T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool HasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return HasValue(); }
  const T& Value() const& { return std::get<0>(state_); }
  T&& Value() && { return std::get<0>(std::move(state_)); }
  const std::string& Why() const { return std::get<1>(state_).why; }

 private:
  std::variant<T, Failure> state_;
};

// The outcome of an action that gives nothing back: empty when it went through.
class [[nodiscard]] Outcome {
 public:
  Outcome() = default;
  Outcome(Failure failure) : why_(std::move(failure.why)), failed_(true) {}

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  const std::string& Why() const { return why_; }

 private:
  std::string why_;
  bool failed_ = false;
};

}  // namespace moldbom
