#include "sfv/crc.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint32_t BytewiseCRC(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const unsigned char b : bytes) crc = kCRC32Table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen());
  return s;
}

// The CRC register over zero bytes is a linear map; squaring its matrix lets the
// CRC of gigabytes of zeros be known without reading them.
using TMatrix = std::array<std::uint32_t, 32>;

std::uint32_t Apply(const TMatrix& m, std::uint32_t v) {
  std::uint32_t out = 0;
  for (int i = 0; v; ++i, v >>= 1)
    if (v & 1) out ^= m[i];
  return out;
}

TMatrix Square(const TMatrix& m) {
  TMatrix out{};
  for (int i = 0; i < 32; ++i) out[i] = Apply(m, m[i]);
  return out;
}

std::uint32_t CRCOfZeros(std::uint64_t count) {
  TMatrix bit{};  // one zero bit
  bit[0] = 0xEDB88320u;
  for (int i = 1; i < 32; ++i) bit[i] = 1u << (i - 1);
  TMatrix step = Square(Square(Square(bit)));  // one zero byte
  std::uint32_t reg = 0xFFFFFFFFu;
  for (; count; count >>= 1, step = Square(step))
    if (count & 1) reg = Apply(step, reg);
  return reg ^ 0xFFFFFFFFu;
}

std::string MakeSparse(const TTempTree& tree, const std::string& name, off_t size) {
  const std::string path = tree.Write(name, "");
  const int fd = ::open(path.c_str(), O_WRONLY);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  return path;
}

}  // namespace

TEST(CRC32, TableStartsWithTheStandardEntries) {
  EXPECT_EQ(kCRC32Table[0], 0x00000000u);
  EXPECT_EQ(kCRC32Table[1], 0x77073096u);
  EXPECT_EQ(kCRC32Table[2], 0xEE0E612Cu);
  EXPECT_EQ(kCRC32Table[3], 0x990951BAu);
  EXPECT_EQ(kCRC32Table[255], 0x2D02EF8Du);
}

TEST(CRC32, UpdateMatchesTheBytewiseDefinitionAndChains) {
  EXPECT_EQ(UpdateCRC32(0xFFFFFFFFu, "123456789", 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
  EXPECT_EQ(UpdateCRC32(0x12345678u, "", 0), 0x12345678u);
  // Lengths around the vector widths of the fast path, and odd start offsets.
  const std::string data = RandomBytes(5000, 7);
  for (std::size_t offset : {0u, 1u, 3u}) {
    for (std::size_t len : {1u, 15u, 16u, 17u, 63u, 64u, 65u, 255u, 256u, 1000u, 4093u}) {
      const std::string part = data.substr(offset, len);
      ASSERT_EQ(UpdateCRC32(0xFFFFFFFFu, part.data(), part.size()) ^ 0xFFFFFFFFu, BytewiseCRC(part))
          << "offset " << offset << " length " << len;
    }
  }
  // No inversion of its own: feeding in two pieces equals feeding once.
  const std::uint32_t split = UpdateCRC32(UpdateCRC32(0xFFFFFFFFu, data.data(), 1234),
                                          data.data() + 1234, data.size() - 1234);
  EXPECT_EQ(split, UpdateCRC32(0xFFFFFFFFu, data.data(), data.size()));
  EXPECT_EQ(UpdateCRC32(0, "\0", 1), kCRC32Table[0]);
}

TEST(CRC32, TextIsEightUpperCaseDigits) {
  EXPECT_EQ(CRCToText(0xCBF43926u), "CBF43926");
  EXPECT_EQ(CRCToText(0x1234u), "00001234");
}

TEST(FileCRC32, ContentDecidesTheCRC) {
  TTempTree tree;
  std::uint32_t crc = 1;
  EXPECT_TRUE(GetFileCRC32(tree.Write("empty.bin", ""), crc));
  EXPECT_EQ(crc, 0u);
  EXPECT_TRUE(GetFileCRC32(tree.Write("digits.txt", "123456789"), crc));
  EXPECT_EQ(crc, 0xCBF43926u);
  // Same bytes under another name, in a sub folder, with other dates.
  const std::string other = tree.Write("sub/other name.dat", "123456789");
  ASSERT_EQ(::chmod(other.c_str(), 0444), 0);
  EXPECT_TRUE(GetFileCRC32(other, crc));
  EXPECT_EQ(crc, 0xCBF43926u);
}

TEST(FileCRC32, BlockBoundariesDoNotChangeTheResult) {
  TTempTree tree;
  const std::string data = RandomBytes(3 * 4096 + 17, 11);
  const std::string path = tree.Write("data.bin", data);
  const std::string exact = tree.Write("exact.bin", data.substr(0, 8192));
  for (std::size_t block : {4096u, 8192u, 65536u}) {
    TFileCRCReader reader(block);
    std::uint32_t crc = 0;
    ASSERT_EQ(reader.Compute(path, crc), TCRCStatus::OK);
    EXPECT_EQ(crc, BytewiseCRC(data)) << block;
    ASSERT_EQ(reader.Compute(exact, crc), TCRCStatus::OK);
    EXPECT_EQ(crc, BytewiseCRC(data.substr(0, 8192))) << block;
  }
}

TEST(FileCRC32, OnlyReadableRegularFilesSucceed) {
  TTempTree tree;
  std::uint32_t crc = 0;
  EXPECT_FALSE(GetFileCRC32(tree.File("missing.bin"), crc));
  EXPECT_FALSE(GetFileCRC32(tree.MakeDir("folder"), crc));
  EXPECT_FALSE(GetFileCRC32(tree.Path() + "folder", crc));
  // A FIFO must neither block the open nor pass as an empty file.
  const std::string fifo = tree.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(GetFileCRC32(fifo, crc));
  EXPECT_FALSE(GetFileCRC32("/dev/zero", crc));
  // A file nobody may open for writing (the running program) is still read.
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  EXPECT_TRUE(GetFileCRC32(std::string(self, static_cast<std::size_t>(n)), crc));
  // Without root, a file without read permission fails.
  if (::geteuid() != 0) {
    const std::string locked = tree.Write("locked.bin", "x");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    EXPECT_FALSE(GetFileCRC32(locked, crc));
  }
}

TEST(FileCRC32, FilesBeyondFourGiBAreReadWhole) {
  TTempTree tree;
  const off_t size = (4LL << 30) + 4096 + 5;
  const std::string path = MakeSparse(tree, "huge.bin", size);
  std::atomic<std::uint64_t> bytes{0};
  TFileCRCReader reader;
  reader.SetByteCounter(&bytes);
  std::uint32_t crc = 0;
  ASSERT_EQ(reader.Compute(path, crc), TCRCStatus::OK);
  EXPECT_EQ(bytes.load(), static_cast<std::uint64_t>(size));
  EXPECT_EQ(crc, CRCOfZeros(static_cast<std::uint64_t>(size)));
  // The matrix reference agrees with the fast path on a small count.
  const std::string zeros(100000, '\0');
  EXPECT_EQ(CRCOfZeros(zeros.size()),
            UpdateCRC32(0xFFFFFFFFu, zeros.data(), zeros.size()) ^ 0xFFFFFFFFu);
}

TEST(FileCRC32, AbortStopsInsideAFile) {
  TTempTree tree;
  const std::string path = MakeSparse(tree, "big.bin", 1LL << 30);
  std::atomic<bool> abort{true};
  TFileCRCReader reader;
  std::uint32_t crc = 0;
  EXPECT_EQ(reader.Compute(path, crc, &abort), TCRCStatus::Aborted);

  // Set while the read runs: the reader stops without reading the rest.
  abort = false;
  std::atomic<std::uint64_t> bytes{0};
  reader.SetByteCounter(&bytes);
  std::thread stopper([&] {
    while (bytes.load() == 0) std::this_thread::yield();
    abort = true;
  });
  EXPECT_EQ(reader.Compute(MakeSparse(tree, "bigger.bin", 64LL << 30), crc, &abort),
            TCRCStatus::Aborted);
  stopper.join();
  EXPECT_LT(bytes.load(), 64ULL << 30);
}

TEST(FolderOpener, OpensWhatAPlainOpenWouldAcrossFolders) {
  TTempTree tree;
  tree.Write("a/one.bin", "1");
  tree.Write("b/two.bin", "22");
  tree.Write("a/three.bin", "333");
  TFolderOpener opener;
  const auto sizeOf = [&opener](const std::string& path) -> long {
    const TFileDescriptor file = opener.Open(path);
    if (!file.Valid()) return -1;
    struct stat info {};
    ::fstat(file.Get(), &info);
    return static_cast<long>(info.st_size);
  };
  // Back and forth between folders: each file is the one its name says.
  EXPECT_EQ(sizeOf(tree.File("a/one.bin")), 1);
  EXPECT_EQ(sizeOf(tree.File("b/two.bin")), 2);
  EXPECT_EQ(sizeOf(tree.File("a/three.bin")), 3);
  EXPECT_EQ(sizeOf(tree.File("a/missing.bin")), -1);
  EXPECT_EQ(sizeOf(tree.File("gone/one.bin")), -1);
  EXPECT_EQ(sizeOf(tree.File("gone/one.bin")), -1);
  // A folder listed as a file, and a bare name in the current folder.
  EXPECT_TRUE(opener.Open(tree.File("a/")).Valid());
  EXPECT_EQ(sizeOf("no-such-file-here.bin"), -1);
}
