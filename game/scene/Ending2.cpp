#include "game/scene/Ending2.h"

#include "game/core/Game.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/scene_tables.h"

namespace {
// The picture is 480 x 862 on the screen.
const EndingScene::Design kDesign{"Ending2", RscTableEnding2, kEnding2CacheArchive, &SprEnding2[0], 542.0f, 61};
}  // namespace

Ending2::Ending2() : EndingScene(kDesign) {}

int32_t Ending2::OnDispose(SProcArg arg) {
  EndingScene::OnDispose(arg);
  // Resource group 1 is released by the stage result's start.
  if (Game* g = GetGame()) g->ChangeScene(SCENE_STAGE_RESULT, 1);
  return 0;
}
