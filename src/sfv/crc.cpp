#include "sfv/crc.h"

#include <isa-l/crc.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferAlignment = 4096;

TFileDescriptor OpenForCRCAt(int folderFd, const char* name) {
  // O_NOATIME saves an inode write per file where the owner allows it.
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int fd = ::openat(folderFd, name, flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::openat(folderFd, name, flags);
  return TFileDescriptor(fd);
}

}  // namespace

TFileDescriptor OpenForCRC(const std::string& fileName) {
  return OpenForCRCAt(AT_FDCWD, fileName.c_str());
}

TFileDescriptor TFolderOpener::Open(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  // No folder part, or no name after it: the plain way gives the same answers.
  if (slash == std::string::npos || slash + 1 == fileName.size()) return OpenForCRC(fileName);
  const std::string_view folder(fileName.data(), slash + 1);
  if (folder != folder_) {
    folder_.assign(folder);
    folderFd_.Reset(::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  if (!folderFd_.Valid()) return OpenForCRC(fileName);
  return OpenForCRCAt(folderFd_.Get(), fileName.c_str() + slash + 1);
}

std::uint32_t UpdateCRC32(std::uint32_t crc, const void* buffer, std::size_t length) {
  if (length == 0) return crc;
  // The library inverts on the way in and out; undo both so callers keep control.
  return ~crc32_gzip_refl(~crc, static_cast<const unsigned char*>(buffer), length);
}

std::string CRCToText(std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
  return text;
}

void TFileCRCReader::TFreeAligned::operator()(unsigned char* p) const {
  ::operator delete[](p, std::align_val_t(kBufferAlignment));
}

TFileCRCReader::TFileCRCReader(std::size_t blockSize)
    : blockSize_(blockSize == 0 ? kDefaultBlockSize : blockSize) {}

TFileCRCReader::~TFileCRCReader() = default;

TCRCStatus TFileCRCReader::Compute(const std::string& fileName, std::uint32_t& crc,
                                   const std::atomic<bool>* abort, std::int64_t knownSize) {
  const TFileDescriptor file(OpenForCRC(fileName));
  if (file.Get() < 0) return TCRCStatus::Failed;
  if (knownSize < 0) {
    // Regular files only: a folder, a FIFO or a device has no CRC to give.
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return TCRCStatus::Failed;
    knownSize = static_cast<std::int64_t>(info.st_size);
  }
  return ComputeOpen(file.Get(), static_cast<std::uint64_t>(knownSize), crc, abort);
}

TCRCStatus TFileCRCReader::ComputeOpen(int fd, std::uint64_t size, std::uint32_t& crc,
                                       const std::atomic<bool>* abort) {
  if (size > blockSize_) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  // Small files get a small buffer, so one-off calls on them stay cheap; a reader
  // that once met a large file keeps the full block for its next ones.
  const std::size_t wanted =
      size >= blockSize_
          ? blockSize_
          : std::min(blockSize_, (static_cast<std::size_t>(size) + kBufferAlignment) /
                                     kBufferAlignment * kBufferAlignment);
  if (capacity_ < wanted) {
    buffer_.reset(static_cast<unsigned char*>(
        ::operator new[](wanted, std::align_val_t(kBufferAlignment), std::nothrow)));
    capacity_ = buffer_ ? wanted : 0;
    if (!buffer_) return TCRCStatus::Failed;
  }

  std::uint32_t running = 0xFFFFFFFFu;
  std::uint64_t total = 0;
  for (;;) {
    if (abort && abort->load(std::memory_order_relaxed)) return TCRCStatus::Aborted;
    const ssize_t n = ::read(fd, buffer_.get(), capacity_);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TCRCStatus::Failed;
    }
    if (n == 0) break;
    running = UpdateCRC32(running, buffer_.get(), static_cast<std::size_t>(n));
    total += static_cast<std::uint64_t>(n);
    if (bytes_) bytes_->fetch_add(static_cast<std::uint64_t>(n), std::memory_order_relaxed);
    // A short read of a regular file that reached the size it had at the open is
    // its end; skipping the confirming empty read saves a call per small file.
    if (static_cast<std::size_t>(n) < capacity_ && total >= size) break;
  }
  crc = running ^ 0xFFFFFFFFu;
  return TCRCStatus::OK;
}

bool GetFileCRC32(const std::string& fileName, std::uint32_t& crc) {
  try {
    TFileCRCReader reader;
    return reader.Compute(fileName, crc) == TCRCStatus::OK;
  } catch (...) {
    return false;
  }
}
