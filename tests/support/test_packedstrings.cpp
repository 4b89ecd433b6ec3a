#include "support/packedstrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PackedStrings, EveryStringReadsBackAcrossBlocksWhateverItsSize) {
  std::vector<std::string> added = {"", "a", std::string("with\0nul", 8),
                                    std::string(3 << 20, 'L')};  // larger than a block
  for (int i = 0; added.size() < 200000; ++i) added.push_back("name " + std::to_string(i));
  added.push_back(std::string(1 << 20, 'B'));
  added.push_back("after");
  TPackedStrings packed;
  for (const std::string& text : added) packed.Add(text);
  ASSERT_EQ(packed.Size(), added.size());
  for (std::size_t i = 0; i < added.size(); ++i) ASSERT_EQ(packed[i], added[i]) << i;
}
