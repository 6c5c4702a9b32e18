#pragma once
// The scene of stage 4 (process name "Stage4"): one camera path under a fog
// that turns from pink through red and violet to black, its cloud quads,
// the sky layer (Stage4Sky) with the closing flash and the sun's lens
// flare, the sky model from rail position 7000 on and two rail triggers
// (the stage title, a sound).
#include "game/stage/Stage4Sky.h"
#include "game/stage/StageProc.h"
#include "vrax/kernel/SHandle.h"

class Stage4 : public StageProc {
 public:
  Stage4();

  // The sky layer once the loading has ended (null before and after).
  Stage4Sky* Sky() const { return LiveProc(sky_); }

 protected:
  void StartLayers() override;
  void SetUpMap() override;
  void StartMusic() override;
  void PlayTriggers() override;
  void PlayDraw() override;

 private:
  SHandle<Stage4Sky> sky_;
};
