#include "game/scene/StageResult.h"

#include "game/core/Game.h"

void StageResult::Next(Game& game) {
  game.ChangeScene(SCENE_STAGE, game.stage + 1);
}
