#pragma once

#include "support/filedescriptor.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace crc_detail {
constexpr std::array<std::uint32_t, 256> MakeCRC32Table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
}  // namespace crc_detail

// The IEEE 802.3 table (reflected polynomial 0xEDB88320): entry i is the CRC of byte i.
// The fast path does not use it; it documents the checksum and anchors the tests.
inline constexpr std::array<std::uint32_t, 256> kCRC32Table = crc_detail::MakeCRC32Table();

// Folds length bytes into a running CRC without any inversion of its own, so a
// whole-file CRC is UpdateCRC32(0xFFFFFFFF, ...) ^ 0xFFFFFFFF.
std::uint32_t UpdateCRC32(std::uint32_t crc, const void* buffer, std::size_t length);

// The CRC as SFV files list it: eight upper-case hexadecimal digits.
std::string CRCToText(std::uint32_t crc);

enum class TCRCStatus : std::uint8_t { OK, Failed, Aborted };

// Computes whole-file CRCs through one reused, cache-sized buffer, so memory stays
// flat however large the file. Not thread-safe: one reader per thread.
class TFileCRCReader {
 public:
  // Half the L2 cache of today's processors: the block read is still there when it
  // is hashed, and from the page cache 1 MiB reads went 8% faster than 512 KiB ones.
  static constexpr std::size_t kDefaultBlockSize = 1024 * 1024;

  explicit TFileCRCReader(std::size_t blockSize = kDefaultBlockSize);
  ~TFileCRCReader();
  TFileCRCReader(const TFileCRCReader&) = delete;
  TFileCRCReader& operator=(const TFileCRCReader&) = delete;

  // Optional: every block read is added to counter (for progress displays).
  void SetByteCounter(std::atomic<std::uint64_t>* counter) { bytes_ = counter; }

  // Failed for anything that is not a readable regular file. When abort becomes
  // true the read stops before the next block and the result is Aborted.
  // knownSize >= 0 says a directory search has just seen a regular file of that
  // size, which spares a status call per file (it matters for many small files).
  TCRCStatus Compute(const std::string& fileName, std::uint32_t& crc,
                     const std::atomic<bool>* abort = nullptr, std::int64_t knownSize = -1);
  // The same for a regular file already open for reading (see OpenForCRC), whose
  // size a status call has just given. The descriptor stays open.
  TCRCStatus ComputeOpen(int fd, std::uint64_t size, std::uint32_t& crc,
                         const std::atomic<bool>* abort = nullptr);

 private:
  struct TFreeAligned {
    void operator()(unsigned char* p) const;
  };
  std::size_t blockSize_;
  std::size_t capacity_ = 0;
  std::unique_ptr<unsigned char, TFreeAligned> buffer_;
  std::atomic<std::uint64_t>* bytes_ = nullptr;
};

// Opens a file read-only for hashing; the result holds -1 when it cannot. Opening never blocks (a
// FIFO listed by mistake), and a file the user may read opens even when its mode forbids writing.
TFileDescriptor OpenForCRC(const std::string& fileName);

// Opens files for hashing as OpenForCRC does, through a handle on the folder of
// the last one: the files of a set mostly share a folder, and the kernel then
// resolves one name per file instead of the whole path. For one thread only.
class TFolderOpener {
 public:
  TFolderOpener() = default;
  TFolderOpener(const TFolderOpener&) = delete;
  TFolderOpener& operator=(const TFolderOpener&) = delete;

  TFileDescriptor Open(const std::string& fileName);

 private:
  std::string folder_;
  TFileDescriptor folderFd_;
};

// True and crc set when the file (opened read-only, never created) was read
// completely; false on any failure, never throws.
bool GetFileCRC32(const std::string& fileName, std::uint32_t& crc);
