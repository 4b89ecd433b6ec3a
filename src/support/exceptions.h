#pragma once

#include <stdexcept>
#include <string>

// The program's own error: its kind says how ShowException presents it
// (0 error report, 1 warning, 2 warning with More Info, 3 information,
// 4 information with More Info).
class EQelException : public std::runtime_error {
 public:
  explicit EQelException(const std::string& message, int messageBoxKind = 0)
      : std::runtime_error(message), kind_(messageBoxKind) {}
  int MessageBoxKind() const { return kind_; }

 private:
  int kind_;
};

// Ends a command quietly: error handlers show nothing for it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// A broken internal promise; reported with its own caption.
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};
