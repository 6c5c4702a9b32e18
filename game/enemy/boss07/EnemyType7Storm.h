#pragma once
// The storm over boss type 7's fight: it darkens the stage lights over its
// first 100 frames, then claps thunder by itself every 900 to 1200 frames;
// each clap flashes the stage white three to six times through a light
// shining along the camera's view, then fades out over 60 frames. The body
// claps it too (EnemyType7::Main).
//
// The stage lights are the game root's: the stage ambient and light A,
// whose light 0 takes the storm's level and light 1 is the flash.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class EnemyType7Storm : public SProc {
 public:
  static constexpr int32_t kDefaultFlashes = -1;
  static constexpr int32_t kDarkeningFrames = 100;

  // One thunderclap: n flashes (kDefaultFlashes: 3 to 6 from the clap value)
  // and its sound. The clap value is one rand draw taken at the first clap
  // of a play and kept for the play's later claps.
  void Thunderclap(int32_t flashes);
  // A play starts: the next clap draws its value afresh, so that every play
  // from the same seed draws the same numbers.
  static void ForgetClapValue();
  // Both stage lights at `level`.
  static void SetStageLevel(float level);

  float flashTimer = 0.0f;
  uint8_t active = 0;
  uint8_t flashing = 1;
  int32_t flashesDone = 0;
  int32_t flashesWanted = 0;
  float waitTimer = 0.0f;
  uint8_t armed = 0;
  float intensity = 0.2f;
  int32_t darkening = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
};
