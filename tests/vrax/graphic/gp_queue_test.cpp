#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gp_support.h"
#include "vrax/graphic/SGpQueue.h"

namespace {

struct Queue64 : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(q.Create(6), 0);
    q.Reset();
  }
  SGpQueue q;
  std::vector<std::string> log;
};

TEST_F(Queue64, KeysRunFromHighestToZero) {
  Tag a(&log, "k0"), b(&log, "k63"), c(&log, "k10");
  q.Append(0, &a);
  q.Append(63, &b);
  q.Append(10, &c);
  q.Execute();
  EXPECT_EQ(log, (std::vector<std::string>{"k63", "k10", "k0"}));
  EXPECT_EQ(q.GetBucketCount(), 64);
  EXPECT_EQ(q.GetBits(), 6);
}

TEST_F(Queue64, FrontEntriesFirstWithinAKey) {
  Tag a(&log, "a1"), b(&log, "a2"), f1(&log, "f1"), f2(&log, "f2"), hi(&log, "hi");
  q.Append(5, &a);
  q.Prepend(5, &f1);
  q.Append(5, &b);
  q.Prepend(5, &f2);
  q.Prepend(6, &hi);
  q.Execute();
  // Prepended latest first, then the appended ones in append order.
  EXPECT_EQ(log, (std::vector<std::string>{"hi", "f2", "f1", "a1", "a2"}));
}

TEST_F(Queue64, PrependIntoEmptyBucketThenAppendKeepsOrder) {
  Tag f(&log, "f"), a(&log, "a"), low(&log, "low");
  q.Prepend(7, &f);
  q.Append(7, &a);
  q.Append(3, &low);
  q.Execute();
  EXPECT_EQ(log, (std::vector<std::string>{"f", "a", "low"}));
}

TEST_F(Queue64, KeysAreMasked) {
  Tag k64(&log, "k64"), k1(&log, "k1"), k65(&log, "k65"), k0(&log, "k0");
  q.Append(1, &k1);
  q.Append(64, &k64);  // lands in bucket 0
  q.Append(0, &k0);
  q.Append(65, &k65);  // bucket 1, behind k1
  q.Execute();
  EXPECT_EQ(log, (std::vector<std::string>{"k1", "k65", "k64", "k0"}));
}

TEST_F(Queue64, SplicedQueuesRunAfterTheBucketsOwnPackets) {
  SGpQueue s1, s2;
  ASSERT_EQ(s1.Create(2), 0);
  ASSERT_EQ(s2.Create(1), 0);
  s1.Reset(), s2.Reset();
  Tag s1a(&log, "s1.k3"), s1b(&log, "s1.k0"), s2a(&log, "s2.k1");
  s1.Append(0, &s1b);
  s1.Append(3, &s1a);
  s2.Append(1, &s2a);
  Tag before(&log, "before"), after(&log, "after"), low(&log, "low"), hi(&log, "hi");
  q.Append(5, &before);
  q.Splice(5, &s1);
  q.Splice(5, &s2);
  q.Append(5, &after);
  q.Append(4, &low);
  q.Append(6, &hi);
  q.Execute();
  EXPECT_EQ(log, (std::vector<std::string>{"hi", "before", "after", "s2.k1", "s1.k3", "s1.k0", "low"}));

  // The same sub-queue spliced twice in one frame runs once (no loop); after
  // the host's reset it can be spliced again.
  for (int splices : {2, 1}) {
    log.clear();
    q.Reset();
    for (int k = splices; k >= 1; --k) q.Splice(k, &s2);
    q.Execute();
    EXPECT_EQ(log, (std::vector<std::string>{"s2.k1"})) << splices;
  }
}

TEST_F(Queue64, ResetEmptiesAndReusesNodeBlocks) {
  std::vector<Tag> tags;
  tags.reserve(40);
  for (int i = 0; i < 40; ++i) tags.emplace_back(&log, std::to_string(i));
  for (int i = 0; i < 16; ++i) q.Append(0, &tags[i]);
  EXPECT_EQ(q.BlockCount(), 1);
  q.Append(0, &tags[16]);  // the 17th node starts block 1 (32 nodes)
  EXPECT_EQ(q.BlockCount(), 2);
  EXPECT_EQ(q.CurrentBlock(), 1);
  q.Reset();
  q.Execute();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(q.CurrentBlock(), 0);
  for (int i = 0; i < 40; ++i) q.Append(i % 3, &tags[i]);
  EXPECT_EQ(q.BlockCount(), 2);  // 16 + 32 nodes hold 40: no new block
  q.Execute();
  ASSERT_EQ(log.size(), 40u);
  EXPECT_EQ(log.front(), "2");  // key 2 runs first
  EXPECT_EQ(log.back(), "39");  // 39 % 3 == 0, last of key 0
}

TEST(GpQueue, FullQueueDropsFurtherPackets) {
  SGpQueue q;
  ASSERT_EQ(q.Create(6), 0);
  q.Reset();
  struct Count : SGpObj {
    int n = 0;
    void Execute() override { ++n; }
  } c;
  const int capacity = 16 * ((1 << 16) - 1);  // 1,048,560 nodes in 16 blocks
  for (int i = 0; i < capacity + 100; ++i) q.Append(i & 63, &c);
  EXPECT_EQ(q.BlockCount(), 16);
  q.Execute();
  EXPECT_EQ(c.n, capacity);
}

TEST(GpQueue, ResetOfAnUncreatedQueueMakesOneBucket) {
  SGpQueue q;
  q.Reset();
  EXPECT_EQ(q.GetBucketCount(), 1);
  std::vector<std::string> log;
  Tag a(&log, "a"), b(&log, "b");
  q.Append(9, &a);  // every key masks to bucket 0
  q.Prepend(3, &b);
  q.Execute();
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
}

}  // namespace
