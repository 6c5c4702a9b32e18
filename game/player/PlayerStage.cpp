#include "game/player/PlayerStage.h"

#include "game/stage/CamRsc.h"
#include "game/stage/MapMng.h"

namespace playerstage {

float RailPosition() { return g_MapMng.t; }

int32_t RailPath() { return g_MapMng.currentPath; }

bool PathKey(int32_t k, float* x, float* y) {
  const CamKey* key = g_MapMng.GetPathKey(g_MapMng.currentPath, k);
  if (key == nullptr) return false;
  *x = key->x;
  *y = key->y;
  return true;
}

void SettleSpeed() { g_MapMng.SettleSpeed(); }

}  // namespace playerstage
