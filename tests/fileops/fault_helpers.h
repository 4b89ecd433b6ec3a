#pragma once

// Faults a test can bring about cheaply: another file system, a full disk.

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

// A small tmpfs in a mount namespace of this process alone, so nothing outside
// the test ever sees it, even when the test dies.
class TPrivateTmpfs {
 public:
  TPrivateTmpfs(const std::string& where, const std::string& size) : where_(where) {
    if (::unshare(CLONE_NEWNS) != 0) {
      error_ = std::string("unshare: ") + std::strerror(errno);
      return;
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      error_ = std::string("private mounts: ") + std::strerror(errno);
      return;
    }
    const std::string options = "size=" + size;
    if (::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      error_ = std::string("mount tmpfs: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~TPrivateTmpfs() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  TPrivateTmpfs(const TPrivateTmpfs&) = delete;
  TPrivateTmpfs& operator=(const TPrivateTmpfs&) = delete;
  bool Mounted() const { return mounted_; }
  const std::string& Error() const { return error_; }

 private:
  std::string where_;
  std::string error_;
  bool mounted_ = false;
};

#define MOUNT_OR_SKIP(fs) \
  if (!(fs).Mounted()) GTEST_SKIP() << "no second file system here: " << (fs).Error()

// A file-size limit makes every write past it fail as a full disk would.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    struct rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  struct rlimit previous_ {};
  void (*previousHandler_)(int) = SIG_DFL;
};
