#include "game/enemy/EnemyStandIn.h"

#include "game/core/Game.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"

void StandInFightOver(bool endsStage) {
  g_MapMng.armed = 0;
  if (!endsStage) return;
  if (Game* game = GetGame()) game->SendEvent(Player::kEventStageClear, 0);
}
