#include "common/temp_tree.h"
#include "support/debug.h"
#include "support/paths.h"
#include "support/system.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Points XDG_RUNTIME_DIR at a private folder for one test.
class TRuntimeDirScope {
 public:
  TRuntimeDirScope() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) previous_ = old, had_ = true;
    ::setenv("XDG_RUNTIME_DIR", tree_.Path().c_str(), 1);
  }
  ~TRuntimeDirScope() {
    if (had_) {
      ::setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }
  const TTempTree& Tree() const { return tree_; }

 private:
  TTempTree tree_;
  std::string previous_;
  bool had_ = false;
};

// A datagram socket bound where the viewer would listen.
class TListener {
 public:
  explicit TListener(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_DGRAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("cannot bind " + path);
    }
  }
  ~TListener() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // The next datagram, or "<none>" when nothing is waiting.
  std::string Receive() const {
    char buffer[70000];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    return n < 0 ? std::string("<none>") : std::string(buffer, static_cast<std::size_t>(n));
  }

 private:
  int fd_;
};

std::string ProgramName() {
  return ChangeFileExt(ExtractFileName(ApplicationFilePath()), "");
}

}  // namespace

TEST(Debug, PrefixNamesTheProgramOrTheChannel) {
  const TDateTime t = EncodeTime(13, 4, 5);
  EXPECT_EQ(FormatDebugLine("msg", "+x", "/opt/app/CHK.EXE", t), "$exe=CHKx$13:04:05  msg");
  EXPECT_EQ(FormatDebugLine("msg", "", "/opt/app/CHK.EXE", t), "$exe=CHK$13:04:05  msg");
  EXPECT_EQ(FormatDebugLine("msg", "Other", "/opt/app/CHK.EXE", t), "$exe=Other$13:04:05  msg");
  EXPECT_EQ(FormatDebugLine("", "+", "/opt/app/checkwell", t), "$exe=checkwell$13:04:05  ");
  const std::string longChannel = "+" + std::string(150, 'c');
  EXPECT_EQ(FormatDebugLine("m", longChannel, "/a/p", t),
            "$exe=p" + std::string(100, 'c') + "$13:04:05  m");
}

TEST(Debug, LinesReachAListeningViewer) {
  TRuntimeDirScope runtime;
  const std::string path = runtime.Tree().Path() + "checkwell-debug";
  EXPECT_EQ(DebugViewerSocketPath(), path);
  TListener viewer(path);

  DebugMessage("hello", "+2");
  const std::string line = viewer.Receive();
  const std::string prefix = "$exe=" + ProgramName() + "2$";
  ASSERT_EQ(line.substr(0, prefix.size()), prefix) << line;
  // hh:nn:ss and two blanks, then the message.
  EXPECT_EQ(line.size(), prefix.size() + 8 + 2 + 5) << line;
  EXPECT_EQ(line.substr(prefix.size() + 2, 1), ":");
  EXPECT_EQ(line.substr(line.size() - 7), "  hello");

  DebugError(std::runtime_error("it broke"));
  EXPECT_NE(
      viewer.Receive().find("---ERROR--- raised by " + ExtractFileName(ApplicationFilePath())),
      std::string::npos);
  EXPECT_NE(viewer.Receive().find("  it broke"), std::string::npos);
  EXPECT_EQ(viewer.Receive(), "<none>");
}

TEST(Debug, NothingListeningIsNoError) {
  TRuntimeDirScope runtime;
  EXPECT_NO_THROW(DebugMessage("into the void"));
  {
    // A viewer that died leaves its socket file behind.
    TListener gone(DebugViewerSocketPath());
  }
  EXPECT_NO_THROW(DebugMessage("to a dead viewer"));
  // Something else at the name is never written to.
  ::unlink(DebugViewerSocketPath().c_str());
  runtime.Tree().Write("checkwell-debug", "not a socket");
  DebugMessage("must not land in the file");
  EXPECT_EQ(runtime.Tree().Read("checkwell-debug"), "not a socket");
}

TEST(Debug, ViewerProgramPrintsLinesAndReplacesAStaleSocket) {
  TRuntimeDirScope runtime;
  const std::string path = DebugViewerSocketPath();
  { TListener stale(path); }

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Tree().Path()));
  QProcess viewer;
  viewer.setProcessEnvironment(environment);
  viewer.start(QStringLiteral(CHECKWELL_DEBUGVIEW), {"--count", "2"});
  ASSERT_TRUE(viewer.waitForStarted());
  // The viewer announces itself once it listens.
  QDeadlineTimer deadline(30000);
  while (!viewer.readAllStandardError().contains("listening") && !deadline.hasExpired()) {
    viewer.waitForReadyRead(100);
  }
  DebugMessage("first");
  DebugMessage("second", "Other");
  ASSERT_TRUE(viewer.waitForFinished(30000));
  EXPECT_EQ(viewer.exitCode(), 0);
  const QStringList lines = QString::fromUtf8(viewer.readAllStandardOutput()).split('\n');
  ASSERT_GE(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith("  first")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("$exe=Other$")) << lines[1].toStdString();
  EXPECT_FALSE(FileExists(path));
}

TEST(Debug, ViewerLeavesARunningViewerAlone) {
  TRuntimeDirScope runtime;
  TListener running(DebugViewerSocketPath());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Tree().Path()));
  QProcess viewer;
  viewer.setProcessEnvironment(environment);
  viewer.start(QStringLiteral(CHECKWELL_DEBUGVIEW), {});
  ASSERT_TRUE(viewer.waitForFinished(30000));
  EXPECT_EQ(viewer.exitCode(), 1);
  DebugMessage("still here");
  EXPECT_NE(running.Receive().find("still here"), std::string::npos);
}
