// Runs the built checkwell-verify on small fixtures and checks its output lines and
// exit status, the contract that scripts rely on.

#include "common/temp_tree.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::string_literals;

namespace {

struct TRun {
  int exitCode = -1;
  std::vector<std::string> lines;
  std::string errors;
};

std::vector<std::string> Lines(const QByteArray& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes.toStdString());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

QStringList Arguments(const std::vector<std::string>& args) {
  QStringList list;
  for (const auto& a : args) list << QString::fromLocal8Bit(a.c_str());
  return list;
}

// addressSpace > 0 limits the program's address space to that many bytes.
TRun RunVerifier(const std::vector<std::string>& args, rlim_t addressSpace = 0,
                 const std::function<void(QProcess&)>& setUp = {}) {
  QProcess process;
  if (setUp) setUp(process);
  if (addressSpace > 0) {
    process.setChildProcessModifier([addressSpace] {
      const rlimit limit{addressSpace, addressSpace};
      ::setrlimit(RLIMIT_AS, &limit);
    });
  }
  process.start(CHECKWELL_VERIFY_PATH, Arguments(args));
  EXPECT_TRUE(process.waitForFinished(120000));
  TRun run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.lines = Lines(process.readAllStandardOutput());
  run.errors = process.readAllStandardError().toStdString();
  return run;
}

// CRC-32 of "123456789".
constexpr const char* kDigits = "123456789";

// One good, one damaged and one missing file.
struct TFixture {
  TTempTree tree;
  std::string d = tree.Path();
  std::string sfv;
  TFixture() {
    tree.Write("good.bin", kDigits);
    tree.Write("bad.bin", "123456780");
    sfv = tree.Write(
        "set.sfv", "; a comment\r\ngood.bin CBF43926\r\nbad.bin CBF43926\r\ngone.bin 00000000\r\n");
  }
};

std::string Summary(int sfv, int ok, int accepted, int failed, int aborted, int files, int filesOK,
                    int ignored, int filesFailed) {
  return "Summary\tSFV " + std::to_string(sfv) + ",  Verified OK " + std::to_string(ok) +
         ",  Accepted " + std::to_string(accepted) + ",  Failed " + std::to_string(failed) +
         ",  Aborted " + std::to_string(aborted) + ";  Files " + std::to_string(files) + ",  OK " +
         std::to_string(filesOK) + ",  Ignored " + std::to_string(ignored) + ",  Failed " +
         std::to_string(filesFailed);
}

}  // namespace

TEST(VerifyProgram, ReportsEveryFileAndFailsOnDamage) {
  TFixture f;
  const TRun run = RunVerifier({f.sfv});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.lines, ElementsAre("OK\t" + f.d + "good.bin", "CRC Failed\t" + f.d + "bad.bin",
                                     "File not found\t" + f.d + "gone.bin", "SFV Failed\t" + f.sfv,
                                     Summary(1, 0, 0, 1, 0, 3, 1, 0, 2)));
  EXPECT_EQ(run.errors, "");

  const TRun quiet = RunVerifier({"--quiet", f.sfv});
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_THAT(quiet.lines,
              ElementsAre("CRC Failed\t" + f.d + "bad.bin", "File not found\t" + f.d + "gone.bin",
                          "SFV Failed\t" + f.sfv, Summary(1, 0, 0, 1, 0, 3, 1, 0, 2)));
}

TEST(VerifyProgram, GoodAndAcceptedSetsSucceed) {
  TTempTree tree;
  tree.Write("a/one file.bin", kDigits);
  tree.Write("a/notes.nfo", "not listed right");
  tree.Write("b/x.bin", "");
  const std::string rules =
      tree.Write("rules.xml",
                 "<config><extensions><extension value=\".nfo\" action=\"IS\"/></extensions>"
                 "</config>");
  tree.Write("a/set.SFV", "one file.bin cbf43926\nnotes.nfo 00000000\n");
  tree.Write("b/sub/deeper.sfv", "../x.bin 0\n");
  tree.Write("b/other.txt", "not an SFV");

  // A folder is searched below; ".SFV" counts; order is by path.
  const TRun run = RunVerifier({"--config", rules, "-q", tree.Path()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_THAT(run.lines, ElementsAre(Summary(2, 1, 1, 0, 0, 3, 2, 1, 0)));
  const TRun loud = RunVerifier({"--config=" + rules, tree.Path()});
  EXPECT_THAT(loud.lines, ElementsAre("OK\t" + tree.Path() + "a/one file.bin",
                                      "Ignored\t" + tree.Path() + "a/notes.nfo",
                                      "SFV Accepted\t" + tree.Path() + "a/set.SFV",
                                      "OK\t" + tree.Path() + "b/sub/../x.bin",
                                      "SFV Verified OK\t" + tree.Path() + "b/sub/deeper.sfv",
                                      Summary(2, 1, 1, 0, 0, 3, 2, 1, 0)));
  // Without the rule the notes file is checked, and fails.
  EXPECT_EQ(RunVerifier({tree.Path() + "a/set.SFV"}).exitCode, 1);
}

TEST(VerifyProgram, AnEntryThatCannotBeHashedFailsTheRun) {
  for (const bool folder : {true, false}) {
    SCOPED_TRACE(folder ? "a folder" : "a dangling link");
    TTempTree tree;
    tree.Write("a.bin", kDigits);
    if (folder) {
      tree.MakeDir("x.bin");
    } else {
      ASSERT_EQ(::symlink("gone.bin", tree.File("x.bin").c_str()), 0);
    }
    // CRC 0, the value of no bytes at all.
    const std::string sfv = tree.Write("set.sfv", "a.bin CBF43926\r\nx.bin 00000000\r\n");
    const TRun run = RunVerifier({"-q", sfv});
    EXPECT_EQ(run.exitCode, 1) << run.errors;
  }
}

TEST(VerifyProgram, OutputDoesNotDependOnTheThreadCount) {
  TTempTree tree;
  std::string list;
  for (int i = 0; i < 60; ++i) {
    const std::string name = "f" + std::to_string(i) + ".bin";
    tree.Write(name, std::string(static_cast<std::size_t>(i) * 1000, 'x'));
    // Every fifth listed CRC is wrong, every seventh file missing.
    list += (i % 7 == 3 ? "missing" : "") + name + " " + (i % 5 == 0 ? "00000001" : "") + "\r\n";
  }
  tree.Write("set.sfv", list);
  const TRun one = RunVerifier({"--jobs", "1", tree.File("set.sfv")});
  for (const char* jobs : {"-j2", "--jobs=4", "-j16"}) {
    const TRun many = RunVerifier({jobs, tree.File("set.sfv")});
    EXPECT_EQ(many.lines, one.lines) << jobs;
    EXPECT_EQ(many.exitCode, one.exitCode);
  }
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_EQ(one.lines.size(), 62u);
}

TEST(VerifyProgram, UnusualNamesPassThroughUnchanged) {
  TTempTree tree;
  const std::string names[] = {"two  spaces.bin", "tab\there.bin", "bytes\xff\xfe.bin"};
  std::string list;
  for (const auto& n : names) {
    // Raw bytes: Qt would turn the invalid UTF-8 into something else.
    std::ofstream(tree.Path() + n, std::ios::binary) << kDigits;
    list += n + " CBF43926\r\n";
  }
  const std::string sfv = tree.Write("odd.sfv", list);
  const TRun run = RunVerifier({sfv});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  ASSERT_EQ(run.lines.size(), 5u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(run.lines[i], "OK\t" + tree.Path() + names[i]);
}

TEST(VerifyProgram, BadInputIsNamedAndTheRestStillRuns) {
  TFixture f;
  TTempTree tree;
  const std::string empty = tree.Write("empty.sfv", "");
  const std::string binary =
      tree.Write("picture.sfv", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  const std::string good = tree.Write("good.sfv", "good.bin CBF43926\n");
  tree.Write("good.bin", kDigits);

  // A missing argument: named, exit status 2, the other SFVs still verified.
  TRun run = RunVerifier({tree.File("nothing.sfv"), good});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_THAT(run.errors, HasSubstr(tree.File("nothing.sfv") + ": cannot be read"));
  EXPECT_THAT(run.lines, ElementsAre("OK\t" + tree.Path() + "good.bin", "SFV Verified OK\t" + good,
                                     Summary(1, 1, 0, 0, 0, 1, 1, 0, 0)));

  run = RunVerifier({binary});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_THAT(run.errors, HasSubstr(binary + ": is not a text file"));
  EXPECT_THAT(run.lines, ElementsAre("SFV Failed\t" + binary, Summary(1, 0, 0, 1, 0, 0, 0, 0, 0)));

  // Found by the folder search rather than named: a failed SFV, not a bad argument.
  run = RunVerifier({tree.Path()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.errors, HasSubstr(empty + ": lists no files"));

  // A huge file is refused before it is read (sparse, so it costs no disk).
  const std::string huge = tree.Write("huge.sfv", "");
  ASSERT_EQ(::truncate(huge.c_str(), 300LL << 20), 0);
  run = RunVerifier({huge});
  EXPECT_THAT(run.errors, HasSubstr(huge + ": is too large"));
  EXPECT_EQ(run.exitCode, 2);
}

TEST(VerifyProgram, NeitherTheSpellingOfThePathNorALostReportPassesForAVerdict) {
  TTempTree tree;
  tree.Write("good.bin", kDigits);
  tree.Write("abs.sfv", "/good.bin CBF43926\n");
  const std::string nul = tree.Write("nul.sfv", "good.bin CBF43926\n\0gone.bin 0\n"s);
  tree.MakeDir("empty");
  const auto inTree = [&tree](QProcess& process) {
    process.setWorkingDirectory(QString::fromStdString(tree.Path()));
  };
  const struct {
    std::vector<std::string> args;
    std::function<void(QProcess&)> setUp;
    int exitCode;
    std::string error;
  } cases[] = {
      {{"abs.sfv"}, inTree, 0, ""},
      {{"./abs.sfv"}, inTree, 0, ""},
      {{nul}, {}, 1, nul + ": holds a NUL byte before its end"},
      {{tree.File("empty")}, {}, 0, tree.File("empty") + ": holds no SFV file"},
      {{"abs.sfv"},
       [&](QProcess& process) {
         inTree(process);
         process.setStandardOutputFile("/dev/full");
       },
       2,
       "cannot write the report"},
  };
  for (const auto& c : cases) {
    const TRun run = RunVerifier(c.args, 0, c.setUp);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << run.errors;
    if (c.error.empty()) {
      EXPECT_EQ(run.errors, "") << c.args[0];
    } else {
      EXPECT_THAT(run.errors, HasSubstr(c.error)) << c.args[0];
    }
  }
}

TEST(VerifyProgram, RunningOutOfMemoryNamesTheSFVAndReportsNoFile) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizers reserve more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  GTEST_SKIP() << "sanitizers reserve more address space than the limit leaves";
#endif
#endif
  TTempTree tree;
  tree.Write("a", "");
  // Six million entries need far more memory than the limit leaves.
  std::string list;
  for (int i = 0; i < 6'000'000; ++i) list += "a 0\n";
  const std::string sfv = tree.Write("big.sfv", list);
  const TRun run = RunVerifier({sfv}, rlim_t{256} << 20);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "checkwell-verify: " + sfv + ": is too large for the memory available\n");
  EXPECT_THAT(run.lines, ElementsAre("SFV Failed\t" + sfv, Summary(1, 0, 0, 1, 0, 0, 0, 0, 0)));
}

TEST(VerifyProgram, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--jobs", "0", "x"}, {"-j"}, {"--frobnicate", "x"}, {"--quiet=yes", "x"}}) {
    const TRun run = RunVerifier(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.errors, HasSubstr("Try 'checkwell-verify --help'"));
    EXPECT_TRUE(run.lines.empty());
  }
  const TRun help = RunVerifier({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.lines.front(), HasSubstr("Usage: checkwell-verify"));
  TTempTree tree;
  const TRun config = RunVerifier({"--config", tree.File("none.xml"), tree.Path()});
  EXPECT_EQ(config.exitCode, 2);
  EXPECT_THAT(config.errors, HasSubstr("none.xml"));
}

TEST(VerifyProgram, InterruptAbortsCleanly) {
  TTempTree tree;
  // Sparse: many seconds of reading that cost no disk space.
  const std::string big = tree.Write("big.bin", "");
  ASSERT_EQ(::truncate(big.c_str(), 256LL << 30), 0);
  const std::string sfv = tree.Write("big.sfv", "big.bin 00000000\nafter.bin 00000000\n");
  QProcess process;
  process.start(CHECKWELL_VERIFY_PATH, Arguments({"--jobs", "1", sfv}));
  ASSERT_TRUE(process.waitForStarted());
  // Give it time to be well into the file, then press Ctrl-C.
  process.waitForFinished(1500);
  ASSERT_EQ(process.state(), QProcess::Running);
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 130);
  EXPECT_THAT(Lines(process.readAllStandardOutput()),
              ElementsAre("SFV Aborted\t" + sfv, Summary(1, 0, 0, 0, 1, 0, 0, 0, 0)));
}

// Where rhash is installed, both programs must give every file of an SFV that rhash
// made the same verdict, damaged and missing files included.
TEST(VerifyProgram, AgreesWithRhash) {
  const QString rhash = QStandardPaths::findExecutable("rhash");
  if (rhash.isEmpty()) GTEST_SKIP() << "rhash is not installed";
  TTempTree tree;
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) {
    names.push_back("file " + std::to_string(i) + ".dat");
    tree.Write(names.back(), std::string(static_cast<std::size_t>(i * 313), static_cast<char>(i)));
  }
  QProcess make;
  make.setWorkingDirectory(QString::fromStdString(tree.Path()));
  QStringList args{"--sfv", "-o", "set.sfv"};
  for (const auto& n : names) args << QString::fromStdString(n);
  make.start(rhash, args);
  ASSERT_TRUE(make.waitForFinished(60000));
  ASSERT_EQ(make.exitCode(), 0);
  tree.Write(names[4], "damaged");
  tree.Write(names[9], std::string(9 * 313, static_cast<char>(10)));
  ::unlink(tree.File(names[17]).c_str());

  QProcess check;
  check.setWorkingDirectory(QString::fromStdString(tree.Path()));
  check.start(rhash, {"-c", "set.sfv"});
  ASSERT_TRUE(check.waitForFinished(60000));
  // Its lines: the name, padding, then "OK", "ERR" or the reason it could not read.
  std::map<std::string, bool> rhashGood;
  for (const std::string& line :
       Lines(check.readAllStandardOutput() + check.readAllStandardError())) {
    for (const auto& n : names) {
      if (line.rfind(n + " ", 0) != 0) continue;
      const std::size_t last = line.find_last_not_of(' ');
      const std::size_t start = line.find_first_not_of(' ', n.size());
      rhashGood[n] = line.substr(start, last + 1 - start) == "OK";
    }
  }
  ASSERT_EQ(rhashGood.size(), names.size());
  const TRun run = RunVerifier({tree.File("set.sfv")});
  std::map<std::string, bool> ours;
  for (const std::string& line : run.lines) {
    const std::size_t tab = line.find('\t');
    const std::string path = line.substr(tab + 1);
    if (path.rfind(tree.Path(), 0) == 0 && line.rfind("SFV ", 0) != 0) {
      ours[path.substr(tree.Path().size())] = line.substr(0, tab) == "OK";
    }
  }
  EXPECT_EQ(ours, rhashGood);
  EXPECT_FALSE(ours[names[4]]);
  EXPECT_FALSE(ours[names[9]]);
  EXPECT_FALSE(ours[names[17]]);
  EXPECT_EQ(run.exitCode, 1);
}
