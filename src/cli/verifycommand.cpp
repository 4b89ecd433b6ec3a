#include "cli/verifycommand.h"

#include "cli/consolereport.h"
#include "cli/interruptwatcher.h"
#include "cli/progressline.h"
#include "config/config.h"
#include "sfv/sfvformat.h"
#include "sfv/verify.h"
#include "support/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <utility>

#include <unistd.h>

TVerifyCommand::TVerifyCommand(const TVerifyCommandLine& commandLine,
                               const std::string& programPath, std::FILE* out, std::FILE* err,
                               const TInterruptWatcher* interrupts)
    : commandLine_(commandLine),
      programPath_(programPath),
      out_(out),
      err_(err),
      interrupts_(interrupts),
      sources_(commandLine.Jobs, &bytes_) {}

TVerifyCommand::~TVerifyCommand() = default;

void TVerifyCommand::Problem(const std::string& text) const {
  std::fprintf(err_, "checkwell-verify: %s\n", text.c_str());
  std::fflush(err_);
}

bool TVerifyCommand::LoadRules() {
  // By default the rules are those of the Checkwell beside this program, so both
  // programs ignore the same files.
  const std::string path = commandLine_.ConfigPath
                               ? *commandLine_.ConfigPath
                               : ConfigFilePath(ExtractFilePath(programPath_) + "checkwell");
  if (commandLine_.ConfigPath && ::access(path.c_str(), F_OK) != 0) {
    Problem(path + ": no such configuration file");
    return false;
  }
  try {
    LoadConfig(config_, path);
    return true;
  } catch (const std::exception& error) {
    Problem(path + ": not a usable configuration file: " + error.what());
    return false;
  }
}

TVerifyResult TVerifyCommand::VerifyOne(const TSFVFile& sfv, TVerifyOptions& options,
                                        const TConsoleReport& report, TProgressLine& progress,
                                        bool& badArgument) {
  try {
    std::string text, problem;
    if (!LoadSFVText(sfv.Path, text, problem)) {
      progress.Clear();
      Problem(sfv.Path + ": " + problem);
      badArgument = badArgument || sfv.Named;
      return vrFailed;
    }
    std::string fileDetails;
    bool mine = false;
    const std::string fullPath = AbsoluteFilePath(sfv.Path);
    options.CRCSource = &sources_.SourceFor(fullPath);
    const bool nulInside = HoldsNULBeforeEnd(text);
    const TVerifyResult result =
        VerifySFV(std::move(text), ExtractFilePath(fullPath), ExtractFileName(fullPath), config_,
                  fileDetails, mine, options);
    if (report.RowCount() == 0 && result != vrAborted) {
      progress.Clear();
      Problem(sfv.Path + (nulInside            ? ": holds a NUL byte before its end"
                          : result == vrFailed ? ": could not be parsed"
                                               : ": lists no files"));
    }
    return result;
  } catch (const std::bad_alloc&) {
    // The SFV's memory is free again here, so the run goes on with the next one.
    progress.Clear();
    Problem(sfv.Path + ": " + kNoMemoryProblem);
    return vrFailed;
  } catch (const std::exception& error) {
    progress.Clear();
    Problem(sfv.Path + ": " + error.what());
    return vrFailed;
  }
}

int TVerifyCommand::Run() {
  if (!LoadRules()) return kExitUsage;
  std::vector<std::string> problems;
  const std::vector<TSFVFile> sfvFiles = CollectSFVFiles(commandLine_.Paths, problems);
  bool badArgument = !problems.empty();
  for (const std::string& problem : problems) Problem(problem);

  TProgressLine progress(::isatty(::fileno(err_)) ? err_ : nullptr, bytes_);
  TConsoleReport report(out_, commandLine_.Quiet, &progress);
  TVerifyOptions options;
  options.View = &report;
  options.Yield = [&progress] { progress.Tick(); };
  options.OnQueryAbort = [this](bool& abort) { abort = Interrupted(); };
  options.ReturnFileDetails = false;

  bool anyFailed = false;
  bool aborted = false;
  for (const TSFVFile& sfv : sfvFiles) {
    if (Interrupted()) {
      aborted = true;
      break;
    }
    report.BeginSFV();
    const TVerifyResult result = VerifyOne(sfv, options, report, progress, badArgument);
    report.EndSFV(sfv.Path, result);
    anyFailed = anyFailed || result == vrFailed;
    if (result == vrAborted) {
      aborted = true;
      break;
    }
  }
  report.PrintSummary();
  for (const std::string& path : commandLine_.Paths) NoteEmptyFolder(path, sfvFiles);

  // A report lost on a full disk must not pass for a verified set.
  if (std::fflush(out_) != 0 || std::ferror(out_)) {
    Problem(std::string("cannot write the report to standard output: ") + std::strerror(errno));
    return kExitUsage;
  }
  if (aborted) return 128 + (interrupts_ && interrupts_->Signal() ? interrupts_->Signal() : SIGINT);
  if (badArgument) return kExitUsage;
  return anyFailed ? kExitFailed : kExitVerified;
}

void TVerifyCommand::NoteEmptyFolder(const std::string& path,
                                     const std::vector<TSFVFile>& sfvFiles) const {
  if (!DirectoryExists(path)) return;
  const std::string folder = IncludeTrailingPathDelimiter(path);
  const bool any = std::any_of(sfvFiles.begin(), sfvFiles.end(), [&folder](const TSFVFile& sfv) {
    return sfv.Path.starts_with(folder);
  });
  if (!any) Problem(path + ": holds no SFV file");
}

bool TVerifyCommand::Interrupted() const {
  return interrupts_ && interrupts_->Interrupted();
}
