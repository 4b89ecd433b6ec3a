// The manager's "Search Only" and "Search and Check All" over a folder tree, timed
// on the current platform (offscreen in bench/search.sh), each in a fresh window
// whose only active path is the tree, as a user starting the program would run it.
// Prints the median of each, in seconds, with the rows found and their summary.
//
//   bench_search TREE RUNS

#include "dataset/ntierdataset.h"
#include "manager/sfvlist.h"
#include "manager/widgets/mainform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct TTiming {
  double seconds = 0;
  int rows = 0;
  std::string summary;
};

TTiming RunOnce(const std::string& tree, bool check) {
  QTemporaryDir dir;
  const std::string config = dir.path().toStdString() + "/checkwell.xml";
  std::ofstream(config) << "<config checkForNewVersion=\"N\"><paths><path value=\"" << tree
                        << "/\" active=\"Y\"/></paths></config>";
  TMainForm form(config);
  form.resize(900, 600);
  form.show();
  QApplication::processEvents();
  QElapsedTimer clock;
  clock.start();
  (check ? form.actStartSearchAndCheck : form.actStartSearchOnly)->trigger();
  TTiming timing;
  timing.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  timing.rows = form.List().RowCount();
  timing.summary = form.SummaryText().toStdString();
  return timing;
}

TTiming Median(const std::string& tree, bool check, int runs) {
  std::vector<TTiming> timings;
  for (int i = 0; i < runs; ++i) timings.push_back(RunOnce(tree, check));
  std::sort(timings.begin(), timings.end(),
            [](const TTiming& a, const TTiming& b) { return a.seconds < b.seconds; });
  return timings[timings.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_search TREE [RUNS]\n");
    return 2;
  }
  const std::string tree = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const TTiming search = Median(tree, false, runs);
  const TTiming run = Median(tree, true, runs);
  std::printf("search_only %.6f %d\n", search.seconds, search.rows);
  std::printf("search_and_check %.6f %d\n", run.seconds, run.rows);
  std::printf("summary %s\n", run.summary.c_str());
  return 0;
}
