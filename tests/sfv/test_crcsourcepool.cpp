#include "sfv/crcsourcepool.h"

#include "common/temp_tree.h"
#include "support/diskinfo.h"

#include <gtest/gtest.h>

TEST(CRCSourcePool, ThreadsStartOncePerThreadCountNotPerSFV) {
  TTempTree tree;
  const std::string a = tree.Write("a/x.sfv", ""), b = tree.Write("b/y.sfv", "");
  TCRCSourcePool fixed(2);
  EXPECT_EQ(&fixed.SourceFor(a), &fixed.SourceFor(b));
  TCRCSourcePool chosen;
  EXPECT_EQ(&chosen.SourceFor(a), &chosen.SourceFor(a));
  const int threads = HashingThreadsFor(tree.Path());
  EXPECT_TRUE(threads == 1 || threads == UsableProcessorCount()) << threads;
}
