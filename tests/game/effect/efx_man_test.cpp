#include <gtest/gtest.h>

#include "efx_fixture.h"
#include "game/effect/EfxTables.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {

using testsupport::EfxWorld;

constexpr SVec4 kOrigin{0.0f, 0.0f, 0.0f, 1.0f};

TEST_F(EfxWorld, InitSizesTheNinePoolsAndTheSpriteRequestPool) {
  const int want[9] = {4096, 384, 128, 64, 64, 64, 32, 32, 32};
  for (int p = 1; p <= 9; ++p) EXPECT_EQ(efx.PoolCapacity(p), want[p - 1]) << p;
  EXPECT_EQ(efx.GetName(), "EfxMan");
  EXPECT_EQ(GetSpriteCellPool()->Capacity(), 2048);
  EXPECT_EQ(GetSpriteCellPool()->GetFree(), 2048);
  EXPECT_EQ(EfxMan::Instance(), &efx);
}

TEST_F(EfxWorld, FullPoolsRefuseAndClearAllGivesEverythingBack) {
  for (int i = 0; i < 384; ++i) ASSERT_NE(efx.SpawnB(0, &kOrigin, &kOrigin, 10, 1.0f), nullptr);
  EXPECT_EQ(efx.SpawnB(0, &kOrigin, &kOrigin, 10, 1.0f), nullptr);
  EXPECT_EQ(efx.LiveCount(2), 384);
  // Sprites: the request pool (2048) runs out before the element pool.
  for (int i = 0; i < 2048; ++i)
    ASSERT_NE(efx.SpawnSprite(6, &kOrigin, EfxKeyList7, nullptr, nullptr, 10, 10, 0, 1, 1, nullptr, nullptr, 0, 1),
              nullptr);
  EXPECT_EQ(efx.SpawnSprite(6, &kOrigin, EfxKeyList7, nullptr, nullptr, 10, 10, 0, 1, 1, nullptr, nullptr, 0, 1),
            nullptr);
  EXPECT_EQ(efx.LiveCount(1), 2048);
  EXPECT_EQ(SheetCount(6), 2048);
  efx.ClearAll();
  for (int p = 1; p <= 9; ++p) EXPECT_EQ(efx.LiveCount(p), 0) << p;
  EXPECT_EQ(SheetCount(6), 0);
  EXPECT_EQ(GetSpriteCellPool()->GetFree(), 2048);
  efx.ClearAll();  // empty lists: nothing happens
}

}  // namespace
