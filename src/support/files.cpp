#include "support/files.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TFileIdentity IdentityOf(const struct stat& st) {
  TFileIdentity identity;
  identity.Exists = true;
  identity.Device = static_cast<std::uint64_t>(st.st_dev);
  identity.Inode = static_cast<std::uint64_t>(st.st_ino);
  identity.Size = static_cast<std::int64_t>(st.st_size);
  identity.ModifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  identity.ModifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  return identity;
}

int OpenFlags(TFileAccess access, TFileCreation creation) {
  int flags = O_CLOEXEC;
  switch (access) {
    case TFileAccess::Read:
      flags |= O_RDONLY;
      break;
    case TFileAccess::Write:
      flags |= O_WRONLY;
      break;
    case TFileAccess::ReadWrite:
      flags |= O_RDWR;
      break;
  }
  switch (creation) {
    case TFileCreation::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case TFileCreation::CreateAlways:
      flags |= O_CREAT | O_TRUNC;
      break;
    case TFileCreation::OpenExisting:
      break;
    case TFileCreation::OpenAlways:
    case TFileCreation::Append:
      flags |= O_CREAT;
      break;
    case TFileCreation::TruncateExisting:
      flags |= O_TRUNC;
      break;
  }
  return flags;
}

std::runtime_error IOError(const char* what, const std::string& fileName, int error) {
  return std::runtime_error(std::string(what) + " " + fileName + ": " + std::strerror(error));
}

}  // namespace

TDiskFileStream::TDiskFileStream(const std::string& fileName, TFileAccess access,
                                 TFileCreation creation)
    : fileName_(fileName) {
  int fd = -1;
  do {
    fd = ::open(fileName.c_str(), OpenFlags(access, creation), 0666);
  } while (fd < 0 && errno == EINTR);
  file_.Reset(fd);
  if (!file_.Valid()) {
    throw std::runtime_error("Cannot open or create file " + fileName + " with " +
                             std::to_string(errno));
  }
  if (creation == TFileCreation::Append && ::lseek(file_.Get(), 0, SEEK_END) < 0) {
    throw IOError("Cannot seek in", fileName, errno);
  }
}

std::size_t TDiskFileStream::Read(void* buffer, std::size_t size) {
  if (!file_.Valid()) throw std::runtime_error("File is closed: " + fileName_);
  for (;;) {
    const ssize_t n = ::read(file_.Get(), buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw IOError("Cannot read", fileName_, errno);
  }
}

void TDiskFileStream::Write(const void* data, std::size_t size) {
  if (!file_.Valid()) throw std::runtime_error("File is closed: " + fileName_);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(file_.Get(), p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IOError("Cannot write", fileName_, errno);
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::string TDiskFileStream::ReadToEnd() {
  std::string result;
  const std::int64_t size = Size();
  if (size > 0) result.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  for (std::size_t n = Read(buffer, sizeof buffer); n > 0; n = Read(buffer, sizeof buffer)) {
    result.append(buffer, n);
  }
  return result;
}

std::int64_t TDiskFileStream::Size() const {
  struct stat st {};
  if (!file_.Valid() || ::fstat(file_.Get(), &st) != 0) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

void TDiskFileStream::Close() {
  // An interrupted close has still released the handle and says nothing about the data.
  if (const int error = file_.Close(); error != 0 && error != EINTR) {
    throw IOError("Cannot write", fileName_, error);
  }
}

std::string ReadTextFile(const std::string& path) {
  TDiskFileStream stream(path, TFileAccess::Read, TFileCreation::OpenExisting);
  return stream.ReadToEnd();
}

std::string ReadTextFile(const std::string& path, TFileIdentity& identity) {
  TDiskFileStream stream(path, TFileAccess::Read, TFileCreation::OpenExisting);
  // Taken before the first byte: a write while the text is read then shows as a change.
  identity = stream.Identity();
  return stream.ReadToEnd();
}

TFileIdentity FileIdentityOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? IdentityOf(st) : TFileIdentity();
}

TFileIdentity FileIdentityOf(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? IdentityOf(st) : TFileIdentity();
}

void WriteTextFile(const std::string& path, std::string_view text) {
  TDiskFileStream stream(path, TFileAccess::Write, TFileCreation::CreateAlways);
  stream.Write(text);
  stream.Close();
}

bool IsValidFileName(std::string_view name) {
  return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos;
}
