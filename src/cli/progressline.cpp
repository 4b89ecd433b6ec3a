#include "cli/progressline.h"

#include <string>

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
}

std::string FormatBytes(double bytes) {
  static constexpr const char* kUnits[] = {"B", "kB", "MB", "GB", "TB", "PB"};
  std::size_t unit = 0;
  while (bytes >= 1000.0 && unit + 1 < std::size(kUnits)) {
    bytes /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text;
}

TProgressLine::TProgressLine(std::FILE* terminal, const std::atomic<std::uint64_t>& bytes)
    : terminal_(terminal), bytes_(bytes) {}

TProgressLine::~TProgressLine() {
  Clear();
}

void TProgressLine::Tick() {
  if (!terminal_) return;
  const TClock::time_point now = TClock::now();
  if (now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double bytes = static_cast<double>(bytes_.load(std::memory_order_relaxed));
  const std::string speed = seconds > 0.0 ? FormatBytes(bytes / seconds) + "/s" : "";
  std::fprintf(terminal_, "\r%llu files, %s, %s\033[K", static_cast<unsigned long long>(files_),
               FormatBytes(bytes).c_str(), speed.c_str());
  std::fflush(terminal_);
  shown_ = true;
}

void TProgressLine::Clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  shown_ = false;
  // Drawn again at the next tick after whatever replaced it.
  lastDrawn_ = {};
}
