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

  // Churn at a steady size: erased slots are passed over by probes for the keys
  // behind them and taken again.
  for (int round = 0; round < 20; ++round) {
    for (int i = 0; i < kKeys; i += 2) index.Erase("key " + std::to_string(i));
    ASSERT_EQ(static_cast<std::size_t>(kKeys / 2), index.Size());
    for (int i = 1; i < kKeys; i += 2) ASSERT_TRUE(index.Contains("key " + std::to_string(i)));
    for (int i = 0; i < kKeys; i += 2) {
      ASSERT_FALSE(index.Contains("key " + std::to_string(i)));
      index.Insert("key " + std::to_string(i), i + round);
    }
  }
  EXPECT_EQ(static_cast<std::size_t>(kKeys), index.Size());
  EXPECT_EQ(19 + 2, *index.Find("key 2"));

  index.Clear();
  EXPECT_FALSE(index.Contains("key 8"));
  index.Reserve(10);
  index.Insert("key 8", 8);
  EXPECT_TRUE(index.Contains("key 8"));
}

// Keys whose hashes are equal are still told apart by their text.
TEST(KeyIndex, TellsKeysOfOneHashApart) {
  struct TOneHash {
    std::size_t operator()(std::string_view) const { return 42; }
  };
  TKeyIndex<int, TOneHash> index;
  for (int i = 0; i < 100; ++i) index.Insert("key " + std::to_string(i), i);
  index.Erase("key 50");
  EXPECT_FALSE(index.Contains("key 50"));
  EXPECT_FALSE(index.Contains("key 100"));
  for (int i = 0; i < 100; ++i) {
    if (i == 50) continue;
    const int* const found = index.Find("key " + std::to_string(i));
    ASSERT_NE(nullptr, found) << i;
    EXPECT_EQ(i, *found);
  }
  bool added = false;
  index.Insert("key 50", 500, &added);
  EXPECT_TRUE(added);
  EXPECT_EQ(500, *index.Find("key 50"));
  EXPECT_EQ(99, *index.Find("key 99"));
  EXPECT_EQ(100u, index.Size());
}
