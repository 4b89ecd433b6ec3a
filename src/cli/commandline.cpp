#include "cli/commandline.h"

#include <charconv>

namespace {

constexpr int kMaxJobs = 256;

bool ParseJobs(const std::string& text, int& jobs, std::string& error) {
  int value = 0;
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (code != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxJobs) {
    error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not \"" +
            text + "\"";
    return false;
  }
  jobs = value;
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, TVerifyCommandLine& commandLine,
                      std::string& error) {
  commandLine = {};
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      commandLine.Paths.push_back(argument);
      continue;
    }
    // Options that take a value accept it as the next argument or after "=";
    // the short forms also directly attached ("-j4").
    std::string name = argument;
    std::optional<std::string> value;
    if (argument.rfind("--", 0) == 0) {
      if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
        name = argument.substr(0, equals);
        value = argument.substr(equals + 1);
      }
    } else if (argument.size() > 2) {
      name = argument.substr(0, 2);
      value = argument.substr(2);
    }
    const auto takeValue = [&]() -> bool {
      if (value) return true;
      if (i + 1 >= arguments.size()) {
        error = name + " needs a value";
        return false;
      }
      value = arguments[++i];
      return true;
    };

    if (name == "--") {
      optionsEnded = true;
    } else if (name == "-h" || name == "--help") {
      commandLine.Help = true;
    } else if (name == "-V" || name == "--version") {
      commandLine.Version = true;
    } else if (name == "-q" || name == "--quiet") {
      commandLine.Quiet = true;
    } else if (name == "-j" || name == "--jobs") {
      if (!takeValue() || !ParseJobs(*value, commandLine.Jobs, error)) return false;
      continue;
    } else if (name == "-c" || name == "--config") {
      if (!takeValue()) return false;
      if (value->empty()) {
        error = "--config needs a file name";
        return false;
      }
      commandLine.ConfigPath = *value;
      continue;
    } else {
      error = "unknown option " + argument;
      return false;
    }
    if (value) {
      error = name + " takes no value";
      return false;
    }
  }
  if (commandLine.Paths.empty() && !commandLine.Help && !commandLine.Version) {
    error = "no SFV file or folder given";
    return false;
  }
  return true;
}

std::string UsageText() {
  return R"(Usage: checkwell-verify [OPTION]... PATH...
Verifies the files listed in SFV files by their CRC-32.
Each PATH is an SFV file, or a folder searched with all its sub folders for files
whose names end in ".sfv" (in any letter case); those are verified in byte order
of their paths.

Options:
  -j, --jobs N      hash up to N files at once (1 to 256). Default: the number of
                    processors, or 1 for SFVs on a rotational disk.
  -q, --quiet       print only the files and SFVs that failed, and the summary
  -c, --config FILE take the extension rules from this configuration file instead
                    of Checkwell's own (an absent file of Checkwell's means no rules)
  -h, --help        show this text and exit
  -V, --version     show the version and exit

Output: one line per record, its fields separated by one tab. The last field is a
path exactly as the SFV names it (carriage returns and line feeds in it are shown
as "?"; on a terminal every control character is shown escaped, e.g. "\x1B"), so
splitting a line at its first tab always works.
  STATUS<tab>FILE       one per file listed, in the order of its SFV; STATUS is one of
                        "OK", "CRC Failed", "File not found", "Unable to generate CRC"
                        or "Ignored" (an extension rule leaves the file alone)
  SFV RESULT<tab>SFV    one per SFV after its files; RESULT is one of "Verified OK",
                        "Failed", "Accepted" (nothing failed, some files ignored) or
                        "Aborted"
  Summary<tab>COUNTS    the last line, every count always present, e.g.
                        "SFV 2,  Verified OK 1,  Accepted 0,  Failed 1,  Aborted 0;
                        Files 7,  OK 5,  Ignored 0,  Failed 2" (on one line); files
                        whose SFV was aborted before they were done are not counted
Problems with the SFV files themselves go to standard error, naming the file.
A progress line is shown on standard error when it is a terminal.

Examples:
  checkwell-verify -q ~/Downloads           failures only, below a folder
  checkwell-verify set.sfv | grep -v '^OK'  everything that is not OK

Exit status: 0 when every SFV verified OK or was accepted, 1 when any failed,
2 for a usage error, an argument that cannot be read or a report that cannot be
written, 130 when interrupted (Ctrl-C; the SFV being verified then shows
"Aborted").
)";
}
