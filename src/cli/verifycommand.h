#pragma once

#include "cli/commandline.h"
#include "sfv/crcsourcepool.h"
#include "sfv/sfvfiles.h"
#include "sfv/verify.h"

#include <pugixml.hpp>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TInterruptWatcher;
class TConsoleReport;
class TProgressLine;

inline constexpr int kExitVerified = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// One run of checkwell-verify over the SFV files of its arguments.
class TVerifyCommand {
 public:
  // programPath locates Checkwell's configuration when no --config is given;
  // interrupts (optional) stops the run on Ctrl-C.
  TVerifyCommand(const TVerifyCommandLine& commandLine, const std::string& programPath,
                 std::FILE* out, std::FILE* err, const TInterruptWatcher* interrupts = nullptr);
  ~TVerifyCommand();
  TVerifyCommand(const TVerifyCommand&) = delete;
  TVerifyCommand& operator=(const TVerifyCommand&) = delete;

  // The exit status: 0 all verified or accepted, 1 a failure, 2 a bad argument,
  // 128 + signal when interrupted.
  int Run();

 private:
  bool LoadRules();
  // Verifies one SFV, reporting problems with the file itself.
  TVerifyResult VerifyOne(const TSFVFile& sfv, TVerifyOptions& options,
                          const TConsoleReport& report, TProgressLine& progress, bool& badArgument);
  // A folder argument below which no SFV was found gets a note.
  void NoteEmptyFolder(const std::string& path, const std::vector<TSFVFile>& sfvFiles) const;
  bool Interrupted() const;
  void Problem(const std::string& text) const;

  const TVerifyCommandLine& commandLine_;
  std::string programPath_;
  std::FILE* out_;
  std::FILE* err_;
  const TInterruptWatcher* interrupts_;
  pugi::xml_document config_;
  std::atomic<std::uint64_t> bytes_{0};
  TCRCSourcePool sources_;
};
