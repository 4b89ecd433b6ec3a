#include "app/entry.h"

#include "checkwell_version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: checkwell [SFV-FILE]
Finds, verifies and manages SFV file sets.

Without an argument the manager window opens: it searches the configured folders
for SFV files, verifies the sets and acts on them. With the path of an SFV file
only the check window for that file opens.

Options:
  -h, --help     show this text and exit
  -V, --version  show the version and exit
Qt's own options (-platform, -style, ...) are accepted as well.

checkwell-verify verifies SFV files from scripts; see 'checkwell-verify --help'.
)";

// The answers that need no window, given before Qt looks for a display.
bool AnswerOnTerminal(int argc, char** argv, int& exitCode) {
  if (argc < 2) return false;
  const char* const option = argv[1];
  if (std::strcmp(option, "-h") == 0 || std::strcmp(option, "--help") == 0) {
    std::fputs(kUsage, stdout);
  } else if (std::strcmp(option, "-V") == 0 || std::strcmp(option, "--version") == 0) {
    std::printf("checkwell %s\n", CHECKWELL_FILE_VERSION);
  } else {
    return false;
  }
  exitCode = std::fflush(stdout) == 0 ? 0 : 1;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (int exitCode = 0; AnswerOnTerminal(argc, argv, exitCode)) return exitCode;
  QApplication application(argc, argv);
  // After QApplication has taken its own options (-platform, ...) out of argv.
  // File names stay the bytes the shell passed.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return RunCheckwell(application, arguments);
}
