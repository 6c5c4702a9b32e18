#include "game/scene/Ending1.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/scene_tables.h"

namespace {
// The picture is 480 x 815 on the screen.
const EndingScene::Design kDesign{"Ending1", RscTableEnding1, kEnding1CacheArchive, &SprEnding1[0], 495.0f, 60};
}  // namespace

Ending1::Ending1() : EndingScene(kDesign) {}

int32_t Ending1::OnDispose(SProcArg arg) {
  EndingScene::OnDispose(arg);
  ReleaseSceneResources();
  QvtBTUtil* client = GetServiceClient();
  if (client) client->PopCode(0);
  Game* g = GetGame();
  if (!g) return 0;
  if (FindRankPosition(&PendingRankEntry) < kRankEntries) {
    g->ChangeScene(SCENE_ENTRY, 1);
  } else {
    if (client) client->PopFE();
    g->ChangeScene(SCENE_RANKING, 0);
  }
  return 0;
}
