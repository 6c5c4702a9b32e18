#include "game/enemy/ScenePartsObject.h"

#include <cstring>
#include <new>

#include "game/core/Game.h"
#include "game/effect/RandF.h"
#include "game/enemy/EObjBase.h"

ScenePartsObject::ScenePartsObject(const float* position, const SGpRect* part, float angle, float scale)
    : part_(part), angle_(angle), scale_(scale) {
  std::memcpy(origin_, position, sizeof origin_);
}

int32_t ScenePartsObject::User(int32_t code, SProcArg) {
  if (code == kCodeInit) SetName("ScenePartsObject");
  if (code != kCodeMain || GetPhase() != 0) return 0;
  if (GetCount() >= kLife) {
    Kill(0);
    return 0;
  }
  Tick();
  return 0;
}

ScenePartsObject* SpawnScenePartsObject(const float* position, const SGpRect* part, float angle, float scale) {
  Game* game = GetGame();
  if (game == nullptr || position == nullptr) return nullptr;
  auto* p = new (std::nothrow) ScenePartsObject(position, part, angle, scale);
  if (p == nullptr) return nullptr;
  game->AddChild(GAME_LIST_STAGE, p, 0);
  if (p->GetParent() == nullptr) {
    delete p;
    return nullptr;
  }
  return p;
}

ScenePartsObject* SpawnScenePartsFromEnemy(EObjBase* enemy, const SGpRect* part, float scale) {
  if (enemy == nullptr) return nullptr;
  return SpawnScenePartsObject(enemy->GetPosition(), part, RandF(), scale);
}
