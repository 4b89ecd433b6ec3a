#include "cli/commandline.h"
#include "cli/interruptwatcher.h"
#include "cli/verifycommand.h"

#include "checkwell_version.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace {

std::string RunningProgramPath(const char* argv0) {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string(argv0);
}

}  // namespace

int main(int argc, char** argv) {
  // Unset, TZ makes the C library look at /etc/localtime again for every time it
  // converts; naming that same file keeps the meaning and converts once.
  if (!std::getenv("TZ")) ::setenv("TZ", ":/etc/localtime", 1);

  TVerifyCommandLine commandLine;
  std::string error;
  if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, error)) {
    std::fprintf(stderr, "checkwell-verify: %s\nTry 'checkwell-verify --help'.\n", error.c_str());
    return kExitUsage;
  }
  if (commandLine.Help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitVerified;
  }
  if (commandLine.Version) {
    std::printf("checkwell-verify %s\n", CHECKWELL_FILE_VERSION);
    return kExitVerified;
  }

  // Keep freed memory for reuse instead of handing it back to the system: each fresh
  // page costs a fault, and with many small files those add up to a good part of
  // the run. (The heap only ever grows to the size of the largest SFV's data.)
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);

  // Lines go out in large blocks unless someone is watching them appear.
  if (!::isatty(STDOUT_FILENO)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

  try {
    const TInterruptWatcher interrupts;
    TVerifyCommand command(commandLine, RunningProgramPath(argv[0]), stdout, stderr, &interrupts);
    return command.Run();
  } catch (const std::bad_alloc&) {
    // Outside any one SFV, e.g. while collecting the files of very large folders.
    std::fflush(stdout);
    std::fputs("checkwell-verify: not enough memory\n", stderr);
    return kExitFailed;
  }
}
