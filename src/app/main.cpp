#include "app/entry.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // After QApplication has taken its own options (-platform, ...) out of argv.
  // File names stay the bytes the shell passed.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return RunCheckwell(application, arguments);
}
