// Errors as values for the host's own services and the application built on them: a result holds
// a value or the error that stopped it, and cannot be ignored.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "QORBase.h"

// Why something failed, and where when a file is at fault. line and column count from 1 (the
// column in characters); 0 when the file as a whole, or no file, is at fault.
struct QOR_EXPORT QORError {
  std::string what;
  std::string file;
  int line = 0;
  int column = 0;

  explicit QORError(std::string whatFailed) : what(std::move(whatFailed)) {}
  QORError(std::string fileAtFault, int lineAtFault, int columnAtFault, std::string whatFailed)
      : what(std::move(whatFailed)), file(std::move(fileAtFault)), line(lineAtFault), column(columnAtFault) {}

  // "file:line:column: what", shortened to "file:line: what" or "file: what" as far as the place
  // is known; just what when no file is at fault.
  std::string Message() const;
};

template <class T>
class [[nodiscard]] QORExpected {
 public:
  QORExpected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  QORExpected(QORError error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool Ok() const { return state_.index() == 0; }
  explicit operator bool() const { return Ok(); }

  // The value; asking a failed result for it is a programming error that stops the process.
  const T& Value() const& { return *Checked(std::get_if<0>(&state_)); }
  T& Value() & { return *Checked(std::get_if<0>(&state_)); }
  T&& Value() && { return std::move(*Checked(std::get_if<0>(&state_))); }

  // The error; only of a failed result.
  const QORError& Error() const { return *Checked(std::get_if<1>(&state_)); }
  // The error's message; empty when the value is there.
  std::string Why() const { return Ok() ? std::string() : Error().Message(); }

 private:
  template <class P>
  static P* Checked(P* held) {
    if (!held) QORHostFatal(__FILE__, __LINE__, "a result asked for what it does not hold");
    return held;
  }

  std::variant<T, QORError> state_;
};

// The result of an action that gives nothing back.
template <>
class [[nodiscard]] QORExpected<void> {
 public:
  QORExpected() = default;
  QORExpected(QORError error) : error_(std::move(error)), failed_(true) {}

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }

  // The error; only of a failed result.
  const QORError& Error() const {
    if (!failed_) QORHostFatal(__FILE__, __LINE__, "a result that went through has no error");
    return error_;
  }
  // The error's message; empty when the action went through.
  std::string Why() const { return failed_ ? error_.Message() : std::string(); }

 private:
  QORError error_{""};
  bool failed_ = false;
};

using QOROutcome = QORExpected<void>;
