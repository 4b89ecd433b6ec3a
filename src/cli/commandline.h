#pragma once

#include <optional>
#include <string>
#include <vector>

// What checkwell-verify was asked to do.
struct TVerifyCommandLine {
  std::vector<std::string> Paths;
  int Jobs = 0;  // 0: decide per disk
  bool Quiet = false;
  std::optional<std::string> ConfigPath;
  bool Help = false;
  bool Version = false;
};

// Fills commandLine from the arguments (argv[0] excluded). On a usage error returns
// false with a one-line reason.
bool ParseCommandLine(const std::vector<std::string>& arguments, TVerifyCommandLine& commandLine,
                      std::string& error);

// The --help text, which also documents the output format.
std::string UsageText();
