#include "support/diskinfo.h"

#include <fstream>

#include <sched.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool ReadFlag(const std::string& path, bool& value) {
  std::ifstream file(path);
  char c = 0;
  if (!(file >> c)) return false;
  value = c == '1';
  return true;
}

}  // namespace

bool IsOnRotationalDisk(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  const std::string device = "/sys/dev/block/" + std::to_string(major(info.st_dev)) + ":" +
                             std::to_string(minor(info.st_dev));
  bool rotational = false;
  // A partition has no queue of its own; its disk, one folder up, has.
  if (ReadFlag(device + "/queue/rotational", rotational) ||
      ReadFlag(device + "/../queue/rotational", rotational)) {
    return rotational;
  }
  return false;
}

int UsableProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}
