#include "game/core/ObjPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/core/HitBody.h"

namespace {

std::vector<int>* g_destroyed = nullptr;

class Elem : public PoolElement {
 public:
  ~Elem() override {
    if (g_destroyed != nullptr) g_destroyed->push_back(tag);
  }
  int tag = 0;
  char payload[40] = {};
};

class BodyElem : public PooledOf<HitBody> {
 public:
  float pos[3] = {0.0f, 0.0f, 0.0f};
};

class PoolTest : public ::testing::Test {
 protected:
  void SetUp() override { g_destroyed = &destroyed; }
  void TearDown() override { g_destroyed = nullptr; }
  int Index(ObjPool<Elem>& p, Elem* e) { return p.IndexOf(e); }
  std::vector<int> destroyed;
};

TEST_F(PoolTest, CellsAreRoundedAndAlignedAndAnUnsizedPoolRefuses) {
  static_assert(ObjPool<Elem>::kCellSize % 32 == 0);
  static_assert(ObjPool<Elem>::kCellSize >= sizeof(Elem));
  ObjPool<Elem> pool;
  EXPECT_EQ(pool.Capacity(), 0);
  EXPECT_EQ(pool.FreeCount(), 0);
  EXPECT_EQ(pool.Acquire(), nullptr);
  ASSERT_EQ(pool.Init(5), 0);
  EXPECT_EQ(pool.Capacity(), 5);
  EXPECT_EQ(pool.FreeCount(), 5);
  for (int i = 0; i < 5; ++i) {
    Elem* e = pool.Acquire();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(e) % 32, 0u);
    EXPECT_EQ(e->GetPoolOwner(), &pool);
  }
  EXPECT_EQ(pool.Init(-1), -1);
}

TEST_F(PoolTest, RoundRobinWithWrapAndFullPool) {
  ObjPool<Elem> pool;
  ASSERT_EQ(pool.Init(3), 0);
  Elem* e[3];
  for (int i = 0; i < 3; ++i) {
    e[i] = pool.Acquire();
    ASSERT_NE(e[i], nullptr);
    EXPECT_EQ(Index(pool, e[i]), i);
  }
  EXPECT_EQ(pool.FreeCount(), 0);
  EXPECT_EQ(pool.Acquire(), nullptr);

  e[1]->Release(1);
  EXPECT_EQ(pool.FreeCount(), 1);
  Elem* again = pool.Acquire();
  EXPECT_EQ(Index(pool, again), 1);

  // The cursor stands after cell 1: cell 2 comes before cell 0.
  e[0]->Release(1);
  e[2]->Release(1);
  EXPECT_EQ(Index(pool, pool.Acquire()), 2);
  EXPECT_EQ(Index(pool, pool.Acquire()), 0);
  EXPECT_EQ(pool.Acquire(), nullptr);
}

TEST_F(PoolTest, DestructorGivesTheCellBackAndDestroyAllResetsTheCursor) {
  ObjPool<Elem> pool;
  ASSERT_EQ(pool.Init(4), 0);
  Elem* a = pool.Acquire();
  Elem* b = pool.Acquire();
  a->tag = 1;
  b->tag = 2;
  delete b;  // destroys in place; the storage stays the pool's
  EXPECT_EQ(pool.FreeCount(), 3);
  EXPECT_FALSE(pool.InUse(1));
  EXPECT_EQ(destroyed, std::vector<int>{2});
  pool.Acquire()->tag = 3;
  EXPECT_EQ(pool.Cursor(), 3);
  pool.DestroyAll();
  EXPECT_EQ(pool.FreeCount(), 4);
  EXPECT_EQ(pool.Cursor(), 0);
  // Last cell first.
  EXPECT_EQ(destroyed, (std::vector<int>{2, 3, 1}));
}

TEST_F(PoolTest, InitAgainReleasesLiveElementsAndDestructionReleasesThem) {
  {
    ObjPool<Elem> pool;
    ASSERT_EQ(pool.Init(2), 0);
    pool.Acquire()->tag = 7;
    pool.Acquire()->tag = 8;
    ASSERT_EQ(pool.Init(6), 0);
    EXPECT_EQ(destroyed, (std::vector<int>{8, 7}));
    EXPECT_EQ(pool.FreeCount(), 6);
    EXPECT_EQ(pool.Capacity(), 6);
    pool.Acquire()->tag = 9;
  }
  EXPECT_EQ(destroyed, (std::vector<int>{8, 7, 9}));
}

TEST_F(PoolTest, PooledBodyGivesItsCellBackThenLeavesItsGroup) {
  ObjPool<BodyElem> pool;
  ASSERT_EQ(pool.Init(2), 0);
  BodyElem* s = pool.Acquire();
  s->Register(10, 0, s->pos, 1.0f, nullptr, 0, 100);
  EXPECT_EQ(HitGroupTable[10].Count(), 1);
  s->Release(1);
  EXPECT_EQ(HitGroupTable[10].Count(), 0);
  EXPECT_EQ(pool.FreeCount(), 2);
  // Reused cells register afresh.
  BodyElem* t = pool.Acquire();
  t->Register(10, 0, t->pos, 1.0f, nullptr, 0, 100);
  EXPECT_EQ(HitGroupTable[10].Head(), t);
  pool.DestroyAll();
  EXPECT_TRUE(HitGroupTable[10].Empty());
}

}  // namespace
