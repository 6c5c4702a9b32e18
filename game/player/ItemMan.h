#pragma once
// The items that defeated enemies drop: small power pieces that burst out
// of the enemy, fall, and fly to the player once the player comes near (or,
// dropped during a dash, after a second of play). Each one collected raises
// the player's power by 0.01 and scores a chained bonus of 1000. Items are
// not collision bodies: the manager measures the distance to the player
// itself. Each item draws as one sprite of the game root's shared batch.
// One persistent process, named "ItemMan", in the root's list 7.
#include <cstdint>

#include "game/core/ObjPool.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/kernel/SProc.h"

class EObjBase;

class Item : public PoolElement {
 public:
  enum ItemState : int32_t { STATE_FLYING = 0, STATE_HOMING = 1 };
  // Gives the sprite back to the shared batch.
  ~Item() override;

  // One frame; false when the item is gone (collected or lost).
  bool Step();
  // Position (x, y, z, w) on the sprite; null once the sprite is gone.
  float* Position() const;

  int32_t count = 0;
  int32_t state = STATE_FLYING;
  uint8_t scatter = 0;
  SHandle<SGpSpriteCell> sprite;
  SGpKeyTrack animation;
  float vx = 0.0f, vy = 0.0f;
  float fall = 0.0f;
  float damping = 0.0f;
};

class ItemMan : public SProc {
 public:
  static constexpr int32_t kCapacity = 256;
  // Below this line (30 under the play field) an item is lost.
  static constexpr float kLostY = 350.0f;
  static constexpr int32_t kCollectSound = 57;
  static constexpr int32_t kBonusKind = 7;
  static constexpr int32_t kBonus = 1000;
  static constexpr float kPower = 0.01f;

  // Drops the enemy's items at its position: the last two decimal digits of
  // its score value are their number. Items beyond a full pool or shared
  // batch are not dropped (nothing live is ever taken over).
  void Spawn(EObjBase* enemy);
  // The same from a position (x, y, z, w) and a score value.
  void SpawnAt(const float* position, int32_t scoreValue);
  // Releases every live item.
  void ClearAll();

  int32_t LiveCount() const { return live_.Count(); }
  const SObjList& Live() const { return live_; }
  const ObjPool<Item>& Pool() const { return pool_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  ObjPool<Item> pool_;
  SObjList live_;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern ItemMan g_ItemMan;
