#include "manager/keyindex.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeyIndex, FindsWhatWentInAndNothingElseThroughGrowthAndErasure) {
  TKeyIndex<int> index;
  EXPECT_FALSE(index.Contains("a"));  // empty: no table yet
  constexpr int kKeys = 5000;         // several doublings of the hash table
  for (int i = 0; i < kKeys; ++i) index.Insert("key " + std::to_string(i), i);
  ASSERT_EQ(static_cast<std::size_t>(kKeys), index.Size());
  for (int i = 0; i < kKeys; ++i) {
    const int* const found = index.Find("key " + std::to_string(i));
    ASSERT_NE(nullptr, found) << i;
    EXPECT_EQ(i, *found);
    EXPECT_FALSE(index.Contains("other " + std::to_string(i)));
  }

  bool added = true;
  EXPECT_EQ(7, index.Insert("key 7", 99, &added));  // an existing key keeps its value
  EXPECT_FALSE(added);

  index.Erase("key 7");
  EXPECT_FALSE(index.Contains("key 7"));
  EXPECT_TRUE(index.Contains("key 8"));
  index.Insert("key 7", 70, &added);
  EXPECT_TRUE(added);
  EXPECT_EQ(70, *index.Find("key 7"));

  index.Clear();
  EXPECT_FALSE(index.Contains("key 8"));
  index.Reserve(10);
  index.Insert("key 8", 8);
  EXPECT_TRUE(index.Contains("key 8"));
}
