#include "support/filedescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

int TFileDescriptor::Release() noexcept {
  return std::exchange(fd_, -1);
}

void TFileDescriptor::Reset(int fd) noexcept {
  const int old = std::exchange(fd_, fd);
  if (old < 0 || old == fd) return;
  const int saved = errno;
  ::close(old);
  errno = saved;
}

int TFileDescriptor::Close() noexcept {
  const int fd = std::exchange(fd_, -1);
  if (fd < 0 || ::close(fd) == 0) return 0;
  return errno;
}
