#include "cli/commandline.h"
#include "cli/consolereport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

bool Parse(const std::vector<std::string>& args, TVerifyCommandLine& line, std::string& error) {
  return ParseCommandLine(args, line, error);
}

// What a report wrote, line by line.
class TCapturedOutput {
 public:
  TCapturedOutput() : file_(std::tmpfile()) {}
  ~TCapturedOutput() { std::fclose(file_); }
  std::FILE* File() const { return file_; }
  std::vector<std::string> Lines() const {
    std::fflush(file_);
    std::rewind(file_);
    std::vector<std::string> lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file_)) {
      std::string line = buffer;
      if (!line.empty() && line.back() == '\n') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

 private:
  std::FILE* file_;
};

}  // namespace

TEST(CommandLine, OptionsInTheirSeveralSpellings) {
  TVerifyCommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"-q", "--jobs", "3", "a.sfv", "--config=c.xml", "dir"}, line, error));
  EXPECT_TRUE(line.Quiet);
  EXPECT_EQ(line.Jobs, 3);
  EXPECT_EQ(line.ConfigPath, "c.xml");
  EXPECT_THAT(line.Paths, ElementsAre("a.sfv", "dir"));

  ASSERT_TRUE(Parse({"-j7", "-c", "x.xml", "--", "-odd.sfv", "-"}, line, error));
  EXPECT_EQ(line.Jobs, 7);
  EXPECT_EQ(line.ConfigPath, "x.xml");
  EXPECT_THAT(line.Paths, ElementsAre("-odd.sfv", "-"));
  EXPECT_FALSE(line.Quiet);

  ASSERT_TRUE(Parse({"--help"}, line, error));
  EXPECT_TRUE(line.Help);
}

TEST(CommandLine, MistakesAreNamed) {
  TVerifyCommandLine line;
  std::string error;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no SFV file or folder given"},
      {{"--jobs", "0", "a"}, "--jobs needs a whole number"},
      {{"--jobs=2x", "a"}, "not \"2x\""},
      {{"-j", "999", "a"}, "from 1 to 256"},
      {{"a", "--jobs"}, "--jobs needs a value"},
      {{"--config=", "a"}, "--config needs a file name"},
      {{"--quiet=1", "a"}, "--quiet takes no value"},
      {{"-x", "a"}, "unknown option -x"},
  };
  for (const auto& [args, message] : cases) {
    EXPECT_FALSE(Parse(args, line, error));
    EXPECT_THAT(error, HasSubstr(message));
  }
}

TEST(ConsoleReport, RowsStreamInOrderOnceFinal) {
  TCapturedOutput out;
  TConsoleReport report(out.File(), false);
  report.BeginSFV();
  for (const char* name : {"a", "b", "c", "d\nx"}) {
    const int row = report.AppendRow();
    report.SetPath(row, "/set/");
    report.SetFilename(row, name);
    report.SetStatus(row, name[0] == 'c' ? TFileStatus::Ignored : TFileStatus::Waiting);
  }
  report.SetStatus(1, TFileStatus::NotFound);
  EXPECT_TRUE(out.Lines().empty());  // row 0 is still waiting
  report.SetStatus(0, TFileStatus::Running);
  EXPECT_EQ(report.GetStatus(0), TFileStatus::Running);
  report.SetStatus(0, TFileStatus::OK);
  EXPECT_THAT(out.Lines(), ElementsAre("OK\t/set/a", "File not found\t/set/b", "Ignored\t/set/c"));
  report.SetStatus(3, TFileStatus::Running);
  report.EndSFV("/set/x.sfv", vrAborted);  // the running row has nothing to report
  report.PrintSummary();
  EXPECT_THAT(out.Lines(),
              ElementsAre("OK\t/set/a", "File not found\t/set/b", "Ignored\t/set/c",
                          "SFV Aborted\t/set/x.sfv",
                          "Summary\tSFV 1,  Verified OK 0,  Accepted 0,  Failed 0,  Aborted 1;  "
                          "Files 3,  OK 1,  Ignored 1,  Failed 1"));
}

TEST(ConsoleReport, RowsKeepTheirOwnFolderAndName) {
  TCapturedOutput out;
  TConsoleReport report(out.File(), false);
  for (const char* sfv : {"/one.sfv", "/two.sfv"}) {
    report.BeginSFV();
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"/a/", std::string(sfv) + "-x"}, {"/b/", "y"}, {"/a/", "z"}, {"/", ""}};
    for (const auto& [folder, name] : rows) {
      const int row = report.AppendRow();
      report.SetPath(row, folder);
      report.SetFilename(row, name);
    }
    for (int row = 0; row < 4; ++row) report.SetStatus(row, TFileStatus::OK);
    report.EndSFV(sfv, vrVerifiedOK);
  }
  EXPECT_THAT(out.Lines(), ElementsAre("OK\t/a//one.sfv-x", "OK\t/b/y", "OK\t/a/z", "OK\t/",
                                       "SFV Verified OK\t/one.sfv", "OK\t/a//two.sfv-x", "OK\t/b/y",
                                       "OK\t/a/z", "OK\t/", "SFV Verified OK\t/two.sfv"));
}

TEST(ConsoleReport, QuietKeepsFailuresAndLineBreaksNeverSplitARecord) {
  TCapturedOutput out;
  TConsoleReport report(out.File(), true);
  report.BeginSFV();
  const TFileStatus statuses[] = {TFileStatus::OK, TFileStatus::CRCFailed, TFileStatus::Ignored,
                                  TFileStatus::NoCRC};
  for (int i = 0; i < 4; ++i) {
    const int row = report.AppendRow();
    report.SetPath(row, "/s/");
    report.SetFilename(row, "f" + std::to_string(i) + (i == 3 ? "\r\nz" : ""));
    report.SetStatus(row, statuses[i]);
  }
  report.EndSFV("/s/ok.sfv", vrAccepted);
  report.BeginSFV();
  report.EndSFV("/s/bad.sfv", vrFailed);
  report.PrintSummary();
  EXPECT_THAT(out.Lines(), ElementsAre("CRC Failed\t/s/f1", "Unable to generate CRC\t/s/f3??z",
                                       "SFV Failed\t/s/bad.sfv",
                                       "Summary\tSFV 2,  Verified OK 0,  Accepted 1,  Failed 1,  "
                                       "Aborted 0;  Files 4,  OK 1,  Ignored 1,  Failed 2"));
}

TEST(ConsoleReport, ATerminalSeesControlCharactersEscapedAFileTheBytes) {
  const auto report = [](std::FILE* out) {
    TConsoleReport lines(out, false);
    lines.BeginSFV();
    const int row = lines.AppendRow();
    lines.SetPath(row, "/s/");
    lines.SetFilename(row, "a\x1b[2J\tb\x7f");
    lines.SetStatus(row, TFileStatus::OK);
    std::fflush(out);
  };
  TCapturedOutput file;
  report(file.File());
  EXPECT_THAT(file.Lines(), ElementsAre("OK\t/s/a\x1b[2J\tb\x7f"));

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::FILE* terminal = std::fopen(::ptsname(master), "w");
  ASSERT_NE(terminal, nullptr);
  termios mode{};
  ::tcgetattr(::fileno(terminal), &mode);
  ::cfmakeraw(&mode);
  ::tcsetattr(::fileno(terminal), TCSANOW, &mode);
  report(terminal);
  char buffer[256];
  const ssize_t n = ::read(master, buffer, sizeof buffer);
  std::fclose(terminal);
  ::close(master);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "OK\t/s/a\\x1B[2J\\x09b\\x7F\n");
}
