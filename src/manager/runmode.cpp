#include "manager/runmode.h"

std::string RunModeCaption(TRunMode mode) {
  switch (mode) {
    case TRunMode::SearchOnly:
      return "Search Only";
    case TRunMode::SearchAndCheckAll:
      return "Search and Check All";
    case TRunMode::CheckWaitingOnly:
      return "Check Waiting Only";
    case TRunMode::CheckAll:
      return "Check All";
    case TRunMode::CheckSelectedOnly:
      return "Check Selected Only";
  }
  return {};
}

std::optional<TRunMode> RunModeFromNumber(long long number) {
  if (number < 0 || number >= kRunModeCount) return std::nullopt;
  return static_cast<TRunMode>(number);
}
