#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>

// A one-line "files, bytes, speed" display that redraws itself in place on a
// terminal. Without a terminal it does nothing at all.
class TProgressLine {
 public:
  // terminal may be null (no display); bytes counts every byte hashed.
  TProgressLine(std::FILE* terminal, const std::atomic<std::uint64_t>& bytes);
  ~TProgressLine();
  TProgressLine(const TProgressLine&) = delete;
  TProgressLine& operator=(const TProgressLine&) = delete;

  void FileDone() { ++files_; }
  // Redraws when the last drawing is old enough; cheap to call very often.
  void Tick();
  // Erases the line, e.g. before other output goes to the same terminal.
  void Clear();

 private:
  using TClock = std::chrono::steady_clock;

  std::FILE* terminal_;
  const std::atomic<std::uint64_t>& bytes_;
  std::uint64_t files_ = 0;
  TClock::time_point start_ = TClock::now();
  TClock::time_point lastDrawn_{};
  bool shown_ = false;
};

// "12.3 MB" style, decimal units like disk makers and most tools use.
std::string FormatBytes(double bytes);
