#include "game/player/PlayerStage.h"

#include "game/stage/CamRsc.h"
#include "game/stage/MapMng.h"

namespace playerstage {

namespace {
SRscSlot<CamRsc> endingPath;
}  // namespace

float RailPosition() { return g_MapMng.t; }

int32_t RailPath() { return g_MapMng.currentPath; }

bool PathKey(int32_t k, float* x, float* y) {
  const CamKey* key = g_MapMng.GetPathKey(g_MapMng.currentPath, k);
  if (key == nullptr) return false;
  *x = key->x;
  *y = key->y;
  return true;
}

SRscTarget EndingPathTarget() { return endingPath.Target(); }

bool EndingPathPoint(int32_t k, float* x, float* y, float* z) {
  const CamRsc* path = endingPath.Ready();
  const CamKey* key = path != nullptr ? path->GetKey(k) : nullptr;
  if (key == nullptr) return false;
  *x = key->x;
  *y = key->y;
  *z = key->z;
  return true;
}

void SettleSpeed() { g_MapMng.SettleSpeed(); }

}  // namespace playerstage
