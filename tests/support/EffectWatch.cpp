#include "support/EffectWatch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/effect/EfxMan.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace testsupport {

float EffectWatch::Age(const EfxSprite& e) {
  return float(e.track.GetWrapCount()) * e.track.GetTotal() + e.track.GetTime();
}

void EffectWatch::Frame() {
  ++frames_;
  const EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  for (int pool = 1; pool <= 9; ++pool) {
    capacity_[pool - 1] = efx->PoolCapacity(pool);
    const int32_t live = efx->LiveCount(pool);
    if (live > peak_[pool - 1]) peak_[pool - 1] = live, peakAt_[pool - 1] = frames_;
    full_[pool - 1] = live >= capacity_[pool - 1] ? full_[pool - 1] + 1 : 0;
    longestFull_[pool - 1] = std::max(longestFull_[pool - 1], full_[pool - 1]);
  }
  const SGpSpriteCellPool* cells = GetSpriteCellPool();
  cells_ = cells->Capacity();
  if (cells_ - cells->GetFree() > peakCells_) peakCells_ = cells_ - cells->GetFree(), peakCellsAt_ = frames_;
  for (const SObject* o = efx->Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const auto* e = static_cast<const EfxSprite*>(o);
    const float age = Age(*e);
    if (age > oldest_) oldest_ = age, oldestKeys_ = e->track.GetList(), oldestAt_ = frames_;
  }
}

void EffectWatch::ExpectRoomAndNoStuckSprites(const std::string& where) const {
  SCOPED_TRACE(where);
  for (int pool = 1; pool <= 9; ++pool) {
    if (pool == kTendrilPool) {
      EXPECT_LE(longestFull_[pool - 1], kLongestTendril) << "the tendril pool full so many frames in a row";
      continue;
    }
    EXPECT_LT(peak_[pool - 1], capacity_[pool - 1]) << "pool " << pool << " full at frame " << peakAt_[pool - 1];
  }
  EXPECT_LT(peakCells_, cells_) << "the sprite cells full at frame " << peakCellsAt_;
  const int keys = oldestKeys_ != nullptr ? [k = oldestKeys_] {
    int n = 0;
    while (k[n].part != nullptr) ++n;
    return n;
  }() : 0;
  EXPECT_LE(oldest_, kLongestSprite) << "a sprite of a list of " << keys << " keys seen " << oldest_
                                     << " frames old at frame " << oldestAt_;
}

}  // namespace testsupport
