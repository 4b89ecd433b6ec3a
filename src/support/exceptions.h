#pragma once

#include <stdexcept>
#include <string>

// How ShowException presents the program's own error.
enum class TMessageBoxKind {
  ErrorReport,      // the error report, with the message as More Info
  Warning,          // ShowWarning of the message
  WarningMore,      // ShowWarningMore with the message as More Info
  Information,      // ShowInformation of the message
  InformationMore,  // ShowInformationMore with the message as More Info
};

// The program's own error: its kind says how ShowException presents it.
class EQelException : public std::runtime_error {
 public:
  explicit EQelException(const std::string& message,
                         TMessageBoxKind messageBoxKind = TMessageBoxKind::ErrorReport)
      : std::runtime_error(message), kind_(messageBoxKind) {}
  TMessageBoxKind MessageBoxKind() const { return kind_; }

 private:
  TMessageBoxKind kind_;
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
