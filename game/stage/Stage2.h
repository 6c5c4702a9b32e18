#pragma once
// The scene of stage 2 (process name "Stage2"): stones, trees, castles and
// banners along the rail, no fog at all, the two banner sets waving between
// rail positions 5000 and 7000 and, past 8520, a large sky model that turns
// slowly behind the last boss. The stage's last boss darkens the game's
// lights; the scene restores them when it ends.
#include "game/stage/StageProc.h"

class Stage2 : public StageProc {
 public:
  Stage2();

  // The sky's turn, in turns.
  float GetSkyAngle() const { return skyAngle_; }

 protected:
  int32_t OnDispose(SProcArg arg) override;
  void StartLayers() override;
  void SetUpMap() override;
  void PlayEnter() override;
  void PlayTriggers() override;
  void PlayDraw() override;

 private:
  float skyAngle_ = 0.0f;
};
