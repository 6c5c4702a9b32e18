#include "game/core/StageScene.h"

uint8_t StageSceneStarted = 0;

void StageScene::OnInit(const InitArgs* args) {
  if (args != nullptr) {
    words_[0] = args->a;
    words_[1] = args->b;
  }
  StageSceneStarted = 1;
}

bool StageScene::IsLayerActive(int32_t n) const { return n >= 0 && n < kLayerValues && layerValues[n] > 0.0f; }
