#pragma once
// A boss fight in the whole program on the stage as it plays (its rail,
// scenery and timeline): the timeline moved to the record that waits for
// the boss and the rail set just before that record's key, run until the
// boss of that name has come. Each Step keeps the Player's lives up, so a
// long fight never ends in a game over.
#include <cstdint>
#include <memory>

#include "game/enemy/EnemyBase.h"
#include "support/PlayWorld.h"

namespace testsupport {

class StageBossFight {
 public:
  StageBossFight(int32_t stage, bool picture = false);
  // Starts the timeline at the record waiting for rail key `key` with the
  // rail at t, and runs until the process `name` exists: the boss, or null.
  EnemyBase* Start(float key, float t, const char* name, int limit = 120);
  void Step(int frames = 1);
  PlayWorld& W() { return *world_; }

 private:
  std::unique_ptr<PlayWorld> world_;
};

// rand draws between two generator states (up to `limit`; -1 beyond).
int RandDraws(uint32_t from, uint32_t to, int limit = 100000);

}  // namespace testsupport
