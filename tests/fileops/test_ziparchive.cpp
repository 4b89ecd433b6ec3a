#include "fileops/ziparchive.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <random>

namespace {

std::string Noise(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST(ZipArchive, StoresWhatWouldNotShrinkAndTestsEveryEntry) {
  TTempTree tree;
  tree.Write("set/a.txt", std::string(100000, 'a'));
  tree.Write("set/b.bin", Noise(100000));
  tree.Write("set/c.rar", std::string(100000, 'c'));
  tree.Write("set/sub/d.txt", "d");
  std::vector<std::string> started;
  const std::string archive = tree.Path() + "x.zip";
  ASSERT_TRUE(CreateZipArchive(tree.Path() + "set", {"a.txt", "b.bin", "c.rar", "sub/d.txt"},
                               archive, [&](const std::string& name) { started.push_back(name); })
                  .Ok);
  EXPECT_EQ(started, (std::vector<std::string>{"a.txt", "b.bin", "c.rar", "sub/d.txt"}));
  EXPECT_EQ(ZipEntryCount(archive), 4);

  zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, nullptr);
  ASSERT_NE(zip, nullptr);
  const std::vector<std::pair<const char*, zip_uint16_t>> methods = {
      {"a.txt", ZIP_CM_DEFLATE}, {"b.bin", ZIP_CM_STORE}, {"c.rar", ZIP_CM_STORE}};
  for (const auto& [name, method] : methods) {
    zip_stat_t stat;
    ASSERT_EQ(zip_stat(zip, name, 0, &stat), 0) << name;
    EXPECT_EQ(stat.comp_method, method) << name;
  }
  zip_discard(zip);
  EXPECT_TRUE(TestZipArchive(archive, nullptr).Ok);

  // A flipped byte in stored data is caught by the CRC check.
  std::string bytes = tree.Read("x.zip");
  bytes[bytes.find(tree.Read("set/b.bin").substr(0, 64)) + 1000] ^= 1;
  tree.Write("x.zip", bytes);
  EXPECT_FALSE(TestZipArchive(archive, nullptr).Ok);
}

TEST(ZipArchive, AFailedOrCancelledRunLeavesNoArchiveAndNeverReplacesOne) {
  TTempTree tree;
  tree.Write("set/a.txt", "a");
  const std::string archive = tree.Path() + "x.zip";
  const std::atomic<bool> cancelled{true};
  EXPECT_FALSE(CreateZipArchive(tree.Path() + "set", {"a.txt"}, archive, nullptr, &cancelled).Ok);
  EXPECT_FALSE(CreateZipArchive(tree.Path() + "set", {"a.txt", "none.txt"}, archive, nullptr).Ok);
  EXPECT_FALSE(CreateZipArchive(tree.Path() + "set", {"../outside"}, archive, nullptr).Ok);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.Path()), {}), 1);  // set/ only

  tree.Write("x.zip", "old");
  EXPECT_FALSE(CreateZipArchive(tree.Path() + "set", {"a.txt"}, archive, nullptr).Ok);
  EXPECT_EQ(tree.Read("x.zip"), "old");
}

}  // namespace
