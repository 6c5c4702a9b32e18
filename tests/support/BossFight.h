#pragma once
// A boss fight in the whole program: started headless with the Player in
// control (its own stage scene taken away), the boss models and images of
// stage n's resource table loaded, stage n's generated script loaded and
// its enemy timeline run, with the rail as the map manager runs it (the
// armed section change, speed easing, advance), from the record that
// spawns the boss of parameter `param`.
//
//   testsupport::BossFight f(4, 114);
//   ASSERT_TRUE(f.Start());
//   f.Step(200);  // f.Boss() is the boss while it lives
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "game/stage/ScriptStgRsc.h"
#include "support/PlayWorld.h"

namespace testsupport {

class BossFight {
 public:
  BossFight(int stage, uint32_t param, bool picture = false);
  ~BossFight();
  // False when the program, the resources or the script did not start.
  bool Start();
  void Step(int frames = 1) { world.Step(frames); }
  // The boss while it lives (null before its spawn and after its end).
  EObjBase* Boss() const;
  // Holds fire with the boss left `hitPoints`, for at most `limit` frames:
  // the frames until its defeat, until the game was told a boss is beaten
  // (with stageMayEnd set) and until its end (-1: not seen).
  struct End {
    int defeated = -1, told = -1, ended = -1;
  };
  End ShootDown(int32_t hitPoints, int limit);

  PlayWorld world;
  StageScript script;

 private:
  int stage_;
  uint32_t param_;
};

}  // namespace testsupport
