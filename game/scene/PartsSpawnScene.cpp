#include "game/scene/PartsSpawnScene.h"

#include <new>

#include "game/core/Game.h"
#include "game/enemy/ScenePartsObject.h"
#include "game/scene/AttractScene.h"
#include "game/tables/scene_tables.h"
#include "platform/crt_rand.h"
#include "vrax/resource/SRscMan.h"

int32_t PartsSpawnScene::Init(SProcArg) {
  SetName("PartsSpawnScene");
  if (SRscMan* rsc = GetRscMan()) rsc->LoadTable(kResourceGroup, RscTableScene15, -1);
  CreateLists(1);
  if (auto* chain = new (std::nothrow) ChainCounter()) {
    AddChild(0, chain, 0);
    if (chain->GetParent())
      chain_ = chain;
    else
      delete chain;
  }
  frame_ = 0;
  return 0;
}

int32_t PartsSpawnScene::Draw(SProcArg) {
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t PartsSpawnScene::Main(SProcArg) {
  if (!SceneResourcesLoaded()) return 0;
  if (frame_ % kSpawnInterval == 0) {
    static constexpr float kOrigin[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float angle = static_cast<float>(plat::Rand()) / 32767.0f;
    Game* g = GetGame();
    auto* part = g ? new (std::nothrow) ScenePartsObject(kOrigin, &SprEnemySe00_2[0], angle, 0.75f) : nullptr;
    if (part) {
      g->AddChild(GAME_LIST_ENEMY, part, 0);
      if (!part->GetParent()) delete part;
    }
    if (ChainCounter* chain = chain_.Get()) {
      chain->ShowPopup(kOrigin, 0);
      chain->Add();
    }
  }
  ++frame_;
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}
