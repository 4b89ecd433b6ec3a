#pragma once

#include <optional>
#include <string>

// The five ways "Start" can run; the numbers are also the stored values of the
// default start action.
enum class TRunMode : int {
  SearchOnly = 0,
  SearchAndCheckAll = 1,
  CheckWaitingOnly = 2,
  CheckAll = 3,
  CheckSelectedOnly = 4,
};

inline constexpr int kRunModeCount = 5;

// The caption of the mode's menu entry.
std::string RunModeCaption(TRunMode mode);
// The mode a stored number names, or none for any other number.
std::optional<TRunMode> RunModeFromNumber(long long number);
