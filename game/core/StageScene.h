#pragma once
// The common ground of the stage scenes: the start-up handler that keeps the
// two words the scene is started with and tells the stage code that a
// stage scene has started, and the stage's layer values, each of which
// switches a scenery layer on while it is above 0.
#include <cstdint>

#include "vrax/kernel/SProc.h"

// Set by StageScene::OnInit; the stage code reads it.
extern uint8_t StageSceneStarted;

class StageScene : public SProc {
 public:
  static constexpr int32_t kLayerValues = 8;

  // The two words a stage scene is started with.
  struct InitArgs {
    int32_t a = 0;
    int32_t b = 0;
  };

  // Keeps the two words (none without a record) and sets StageSceneStarted.
  void OnInit(const InitArgs* args);
  // True when layer value n is above 0.0 (false for n outside the values).
  bool IsLayerActive(int32_t n) const;

  float layerValues[kLayerValues] = {};

 private:
  int32_t words_[2] = {0, 0};
};
