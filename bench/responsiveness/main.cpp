// How the check window keeps up while it hashes a large file: verifies an SFV in
// the window on the current platform (offscreen in bench/responsiveness.sh) and
// reports the longest gaps between processed events and between repaints, the
// verification's speed against hashing the same file without a window, and how
// soon the window is gone and the verification stopped after a close mid-file.
//
//   bench_responsiveness file.sfv

#include "checkwindow/widgets/checksfvwindow.h"
#include "dataset/widgets/ntiergrid.h"
#include "sfv/crc.h"
#include "support/messages.h"
#include "support/paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr double kTargetMilliseconds = 100.0;
constexpr int kProbeMilliseconds = 5;

// Counts the gaps between consecutive events of one kind.
class TGapMeter {
 public:
  void Tick() {
    if (!since_.isValid()) since_.start();
    if (clock_.isValid() && clock_.nsecsElapsed() / 1e6 > longest_) {
      longest_ = clock_.nsecsElapsed() / 1e6;
      longestEnded_ = since_.nsecsElapsed() / 1e6;
    }
    clock_.start();
    ++ticks_;
  }
  double Longest() const { return longest_; }
  // When the longest gap ended, counted from the first tick.
  double LongestEnded() const { return longestEnded_; }
  long Ticks() const { return ticks_; }

 private:
  QElapsedTimer clock_;
  QElapsedTimer since_;
  double longest_ = 0;
  double longestEnded_ = 0;
  long ticks_ = 0;
};

// Repaints of the grid's viewport, as the user would see them.
class TPaintWatcher : public QObject {
 public:
  explicit TPaintWatcher(TGapMeter& meter) : meter_(meter) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) meter_.Tick();
    return QObject::eventFilter(watched, event);
  }

 private:
  TGapMeter& meter_;
};

struct TRun {
  double seconds = 0;
  double longestEventGap = 0;
  double longestEventGapEnded = 0;
  double longestPaintGap = 0;
  long paints = 0;
  QString summary;
  double closeMilliseconds = -1;
};

// One stand-alone window on the SFV. With closeAfter >= 0 the window is closed
// that many milliseconds into hashing the first file, and the time until the
// event loop has returned (verification stopped, window gone) is measured.
TRun RunWindow(QApplication& app, const std::string& sfv, const std::string& configPath,
               int closeAfter) {
  TRun run;
  TGapMeter events;
  TGapMeter paints;
  TPaintWatcher watcher(paints);
  TfrmCheckSFV window;
  if (!window.InitStandAlone(configPath)) return run;
  window.SetLaunchFile(sfv);
  window.Grid().viewport()->installEventFilter(&watcher);
  window.show();

  QElapsedTimer total;
  QElapsedTimer closing;
  QElapsedTimer hashing;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  int step = 0;
  QObject::connect(&probe, &QTimer::timeout, &window, [&] {
    events.Tick();
    // Ask for what a user does while waiting: a repaint and a scroll.
    window.Grid().viewport()->update();
    if (QScrollBar* bar = window.Grid().verticalScrollBar(); bar->maximum() > 0) {
      bar->setValue(++step % (bar->maximum() + 1));
    }
    if (!window.SummaryText().isEmpty() && closeAfter < 0) {
      run.seconds = total.nsecsElapsed() / 1e9;
      run.summary = window.SummaryText();
      window.close();
    }
    if (closeAfter >= 0 && !closing.isValid() && window.RowCount() > 0 &&
        window.GetStatus(0) == TFileStatus::Running) {
      if (!hashing.isValid()) hashing.start();
      if (hashing.elapsed() >= closeAfter) {
        closing.start();
        window.close();
        run.summary = window.SummaryText();
      }
    }
  });
  total.start();
  probe.start(kProbeMilliseconds);
  app.exec();
  if (closing.isValid()) run.closeMilliseconds = closing.nsecsElapsed() / 1e6;
  if (run.seconds == 0) run.seconds = total.nsecsElapsed() / 1e9;
  run.longestEventGap = events.Longest();
  run.longestEventGapEnded = events.LongestEnded();
  run.longestPaintGap = paints.Longest();
  run.paints = paints.Ticks();
  return run;
}

const char* Verdict(double milliseconds) {
  return milliseconds >= 0 && milliseconds < kTargetMilliseconds ? "PASS" : "FAIL";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_responsiveness file.sfv\n");
    return 2;
  }
  const std::string sfv = argv[1];
  QTemporaryDir configFolder;
  const std::string configPath =
      QFile::encodeName(configFolder.path()).toStdString() + "/checkwell.xml";

  // The reference: the same files hashed without any window, the faster of two
  // runs so that both sides read from a warm cache.
  const std::string listed = sfv.substr(0, sfv.find_last_of('/') + 1);
  std::int64_t bytes = 0;
  double referenceSeconds = 1e30;
  for (int pass = 0; pass < 2; ++pass) {
    QFile list(QFile::decodeName(QByteArray::fromStdString(sfv)));
    if (!list.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", sfv.c_str());
      return 2;
    }
    bytes = 0;
    QElapsedTimer reference;
    reference.start();
    while (!list.atEnd()) {
      const QByteArray line = list.readLine().trimmed();
      if (line.isEmpty() || line.startsWith(';')) continue;
      const std::string file = listed + line.left(line.lastIndexOf(' ')).toStdString();
      std::uint32_t crc = 0;
      if (!GetFileCRC32(file, crc)) {
        std::fprintf(stderr, "cannot hash %s\n", file.c_str());
        return 2;
      }
      bytes += QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).size();
    }
    referenceSeconds = std::min(referenceSeconds, reference.nsecsElapsed() / 1e9);
  }

  const TRun full = RunWindow(app, sfv, configPath, -1);
  const TRun closed = RunWindow(app, sfv, configPath, 150);

  const double gib = bytes / double(1 << 30);
  std::printf("verified %.2f GiB in the check window: %.2f s (%.0f MiB/s), summary \"%s\"\n", gib,
              full.seconds, bytes / 1048576.0 / full.seconds, full.summary.toStdString().c_str());
  std::printf("reference, the same files hashed without a window: %.2f s (%.0f MiB/s)\n",
              referenceSeconds, bytes / 1048576.0 / referenceSeconds);
  std::printf("ratio window / reference: %.2f\n", full.seconds / referenceSeconds);
  std::printf(
      "longest gap between processed events: %.1f ms, ending %.0f ms into the run (target under "
      "%.0f ms) %s\n",
      full.longestEventGap, full.longestEventGapEnded, kTargetMilliseconds,
      Verdict(full.longestEventGap));
  std::printf("longest gap between repaints: %.1f ms over %ld repaints (target under %.0f ms) %s\n",
              full.longestPaintGap, full.paints, kTargetMilliseconds,
              Verdict(full.longestPaintGap));
  std::printf(
      "close 150 ms into the file: loop ended %.1f ms after the close (target under %.0f ms) %s\n",
      closed.closeMilliseconds, kTargetMilliseconds, Verdict(closed.closeMilliseconds));
  std::printf("  longest event gap in that run: %.1f ms; verification %s\n", closed.longestEventGap,
              closed.summary.isEmpty() ? "stopped inside the file" : "had already ended");

  const bool pass = full.summary.contains(QStringLiteral("OK")) &&
                    !full.summary.contains(QStringLiteral("Failed")) &&
                    full.longestEventGap < kTargetMilliseconds &&
                    full.longestPaintGap < kTargetMilliseconds && closed.closeMilliseconds >= 0 &&
                    closed.closeMilliseconds < kTargetMilliseconds;
  std::printf("%s\n", pass ? "PASS" : "FAIL");
  return pass ? 0 : 1;
}
