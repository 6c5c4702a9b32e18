#pragma once
// The scene of stage 1 (process name "Stage1"): water, shadow and tree
// object sets under an orange fog, its Cloud layer of two cloud planes and
// forty puffs over the first 800 rail units, the sky model up to rail
// position 320 and four rail triggers (the Player's entry, a sound, the
// stage title, the route banner).
#include "game/stage/Cloud.h"
#include "game/stage/StageProc.h"

class CStage1 : public StageProc {
 public:
  CStage1();

  // The fog tables (path 0: 18 records, other paths: 7) and the cloud
  // tables (A: 6 records, B: 11).
  static const float* FogPath0();
  static const float* FogOtherPaths();
  static const float* CloudTableA();
  static const float* CloudTableB();


 protected:
  void StartLayers() override;
  void SetUpMap() override;
  void PlayTriggers() override;
  void PlayDraw() override;

 private:
  Cloud cloud_{1};
};
