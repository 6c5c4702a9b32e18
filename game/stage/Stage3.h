#pragma once
// The scene of stage 3 (process name "Stage3"): sea and tree object sets in
// a bluish fog, its Cloud layer with two cloud planes at the start and a
// veil of cloud drifting across the view twice later on, and four rail
// triggers, one of them on the second camera path.
#include "game/stage/Cloud.h"
#include "game/stage/StageProc.h"

class Stage3 : public StageProc {
 public:
  Stage3();

  // The fog tables (path 0: 27 records, other paths: 10).
  static const float* FogPath0();
  static const float* FogOtherPaths();

  Cloud& CloudLayer() { return cloud_; }

 protected:
  void StartLayers() override;
  void SetUpMap() override;
  void PlayTriggers() override;

 private:
  Cloud cloud_{3};
};
