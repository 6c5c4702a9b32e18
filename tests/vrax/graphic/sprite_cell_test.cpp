#include <gtest/gtest.h>

#include <string>

#include "support/ErrorBox.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {

TEST(SGpSpriteCellPool, AcquireWrapsFromTheCursorAndFullPoolGivesNull) {
  SGpSpriteCellPool pool(3);
  EXPECT_EQ(pool.Capacity(), 3);
  SGpSpriteCell *a = pool.Acquire(), *b = pool.Acquire(), *c = pool.Acquire();
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(pool.GetFree(), 0);
  EXPECT_EQ(pool.Acquire(), nullptr);
  // Cells are 32-byte aligned and start with their defaults.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 32, 0u);
  EXPECT_EQ(a->position, a->ownPos);
  EXPECT_EQ(a->pool, &pool);
  EXPECT_EQ(a->scaleX, 1.0f);
  EXPECT_EQ(pool.GetCursor(), 0);

  // Released before the cursor: found by the wrap-around search.
  delete a;
  EXPECT_EQ(pool.GetFree(), 1);
  SGpSpriteCell* again = pool.Acquire();
  EXPECT_EQ(again, a);
  EXPECT_EQ(pool.IndexOf(again), 0);
  b->Detach();
  delete c;
  EXPECT_EQ(pool.IndexOf(pool.Acquire()), 2);
}

TEST(SGpSpriteCellPool, ReleasingUnlinksFromTheList) {
  SGpSpriteCellPool pool(4);
  SObjList list;
  SGpSpriteCell *a = pool.Acquire(), *b = pool.Acquire();
  list.PushBack(a);
  list.PushBack(b);
  delete a;
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.HeadObj(), b);
  pool.DestroyAll();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(pool.GetFree(), 4);
  EXPECT_EQ(pool.GetCursor(), 0);
}

TEST(SGpSpriteCellPool, ReinitialisingKeepsAPoolInUse) {
  testsupport::ErrorBoxCatcher box;
  SGpSpriteCellPool pool(2);
  SGpSpriteCell* a = pool.Acquire();
  a->ownPos[0] = 42.0f;
  EXPECT_EQ(pool.Init(8), -1);
  EXPECT_EQ(box.Count("sprite pool in use"), 1);
  EXPECT_EQ(pool.Capacity(), 2);
  EXPECT_EQ(a->ownPos[0], 42.0f);  // the holder's cell is untouched
  EXPECT_EQ(a->pool, &pool);
  delete a;
  EXPECT_EQ(pool.Init(8), 0);
  EXPECT_EQ(pool.Capacity(), 8);
  EXPECT_EQ(pool.GetFree(), 8);
  EXPECT_EQ(pool.Init(-1), -1);
}

// A cell handed out again starts from the request defaults, not from its
// last holder's values: holders that never set the billboard flag (enemy
// sprite holders) must not draw facing the camera because an effect sprite
// held the cell before them.
TEST(SGpSpriteCellPool, AReusedCellDoesNotKeepItsLastHoldersValues) {
  SGpSpriteCellPool pool(1);
  SGpRect part;
  SGpSpriteCell* a = pool.Acquire();
  a->billboard = true;
  a->angle = 0.25f;
  a->scaleX = 3.0f;
  a->scaleY = 4.0f;
  a->colour[1] = 0.5f;
  a->part = &part;
  float elsewhere[4] = {};
  a->position = elsewhere;
  delete a;
  SGpSpriteCell* b = pool.Acquire();
  ASSERT_EQ(b, a);  // the only cell
  EXPECT_FALSE(b->billboard);
  EXPECT_EQ(b->angle, 0.0f);
  EXPECT_EQ(b->scaleX, 1.0f);
  EXPECT_EQ(b->scaleY, 1.0f);
  EXPECT_EQ(b->colour[1], 1.0f);
  EXPECT_EQ(b->part, nullptr);
  EXPECT_EQ(b->position, b->ownPos);
  delete b;
}

}  // namespace
