#include "support/guard.h"

#include "support/debug.h"
#include "support/messages.h"

#include <exception>
#include <stdexcept>

namespace {

void Report(const std::string& text, int help, const std::exception& error) {
  ShowException(text.empty() ? std::string(error.what()) : text, help, error);
}

}  // namespace

void ReportCurrentException(const std::string& text, int help) noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      try {
        Report(text, help, error);
      } catch (const std::exception& reportError) {
        // An exception kind the report does not know: show that instead of
        // letting it escape into the event loop.
        Report(text, help, reportError);
      }
    } catch (...) {
      Report(text, help, std::runtime_error("Unknown error"));
    }
  } catch (const std::exception& lastResort) {
    DebugError(lastResort);
  } catch (...) {
  }
}
