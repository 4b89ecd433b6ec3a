// The check window on many entries, on the current platform (offscreen in
// bench/checkwindow-scale.sh). One measurement per process, so that the peak
// resident size belongs to that measurement alone:
//
//   bench_checkwindow_scale verify file.sfv   verifies the SFV in a stand-alone window
//   bench_checkwindow_scale remove file.sfv   then removes every entry through "Remove",
//                                            answering "Yes"
//
// Prints "name value" lines: seconds, remove_seconds, rows, summary, peak_rss_kb.

#include "checkwindow/widgets/checksfvwindow.h"
#include "dataset/ntierdataset.h"
#include "support/messages.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/resource.h>

namespace {

// Presses "Yes" (or "&Yes") on every question.
class TAnswerYes : public TUserInteraction {
 public:
  int MessageBox(const TMessageBoxParams& params) override {
    ++asked;
    for (std::size_t i = 0; i < params.Buttons.size(); ++i) {
      if (params.Buttons[i] == "Yes" || params.Buttons[i] == "&Yes") return static_cast<int>(i);
    }
    return params.EscapeResult;
  }
  bool InputBox(const std::string&, const std::string&, std::string&) override { return false; }
  bool ChooseFolder(const std::string&, const std::string&, const std::string&,
                    std::string&) override {
    return false;
  }
  int asked = 0;
};

long PeakResidentKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Lets the window's start message run the verification; it returns once done.
bool WaitForSummary(TfrmCheckSFV& window) {
  QElapsedTimer waited;
  waited.start();
  while (window.SummaryText().isEmpty()) {
    if (waited.elapsed() > 30 * 60 * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3 || (std::strcmp(argv[1], "verify") != 0 && std::strcmp(argv[1], "remove") != 0)) {
    std::fprintf(stderr, "usage: bench_checkwindow_scale verify|remove file.sfv\n");
    return 2;
  }
  const bool remove = std::strcmp(argv[1], "remove") == 0;
  QTemporaryDir configFolder;
  const std::string configPath =
      QFile::encodeName(configFolder.path()).toStdString() + "/checkwell.xml";

  TAnswerYes yes;
  const TScopedUserInteraction answers(yes);
  TfrmCheckSFV window;
  if (!window.InitStandAlone(configPath)) return 2;
  window.SetLaunchFile(argv[2]);
  window.show();

  QElapsedTimer clock;
  clock.start();
  if (!WaitForSummary(window)) return 1;
  const double seconds = clock.nsecsElapsed() / 1e9;
  std::printf("seconds %.3f\n", seconds);
  std::printf("rows %d\n", window.RowCount());
  std::printf("summary %s\n", window.SummaryText().toStdString().c_str());

  if (remove) {
    // Every row highlighted, as a Ctrl+Shift click does.
    window.Rows().InvertSelection();
    clock.start();
    window.actRemove->trigger();
    const double removeSeconds = clock.nsecsElapsed() / 1e9;
    std::printf("remove_seconds %.3f\n", removeSeconds);
    std::printf("rows_after_remove %d\n", window.RowCount());
    if (yes.asked != 1 || window.RowCount() != 0) return 1;
  }
  std::printf("peak_rss_kb %ld\n", PeakResidentKiB());
  window.close();
  return 0;
}
