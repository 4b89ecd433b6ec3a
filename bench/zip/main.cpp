// "Move to Zips" of one SFV set, as the manager runs it but without a window:
//   bench_zip <folder of the SFV> <SFV file name> <destination folder>
// Prints the seconds it took (packing, counting, the test and the deletion).

#include "manager/setcommands.h"
#include "support/files.h"
#include "support/paths.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <iostream>

namespace {

class TBenchHost : public TSetCommandHost {
 public:
  TSetRow row;
  bool moved = false;
  int ActionRowCount() const override { return 1; }
  void EnsureSelection() override {}
  int SelectedCount() const override { return 1; }
  int SelectedRow(int) const override { return 0; }
  TSetRow Row(int) const override { return row; }
  void SetMovedOrDeleted(int) override { moved = true; }
  void SetFilename(int, const std::string&) override {}
  void RenameMarkEntry(const std::string&, const std::string&) override {}
  void ResortAndLocate(const std::string&) override {}
  void BeginBusy() override {}
  void EndBusy() override {}
  void ShowStatusText(const std::string&) override {}
  void UpdateSummary() override {}
  void Repaint() override {}
  void Yield() override {}
  bool AbortRequested() const override { return false; }
  std::vector<std::string> SearchFolders() const override { return {}; }
  QObject* OperationOwner() const override { return nullptr; }
};

// The fileDetails text of an SFV, as the list keeps it after a verification.
std::string FileDetailsOf(const std::string& folder, const std::string& sfvText) {
  std::string xml = "<fileDetails>";
  std::size_t start = 0;
  while (start < sfvText.size()) {
    std::size_t end = sfvText.find('\n', start);
    if (end == std::string::npos) end = sfvText.size();
    const std::string line = sfvText.substr(start, end - start);
    start = end + 1;
    const auto blank = line.rfind(' ');
    if (line.empty() || line[0] == ';' || blank == std::string::npos) continue;
    xml += "<file name=\"" + folder + line.substr(0, blank) + "\" CRC=\"" + line.substr(blank + 1) +
           "\"/>";
  }
  return xml + "</fileDetails>";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 4) {
    std::cerr << "usage: bench_zip <set folder> <sfv name> <destination>\n";
    return 2;
  }
  TBenchHost host;
  const std::string folder = IncludeTrailingPathDelimiter(argv[1]);
  host.row = {folder, argv[2], "Verified OK", FileDetailsOf(folder, ReadTextFile(folder + argv[2])),
              "N",    false};
  pugi::xml_document config;
  config.append_child("config");
  TSetCommands commands(host, config);

  const auto start = std::chrono::steady_clock::now();
  commands.ZipSet(TSetMode::Move, 0, argv[3]);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", seconds.count());
  return host.moved ? 0 : 1;
}
