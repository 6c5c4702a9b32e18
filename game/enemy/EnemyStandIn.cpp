#include "game/enemy/EnemyStandIn.h"

#include "game/core/Game.h"
#include "game/player/Player.h"

void StandInBossBeaten() {
  if (Game* game = GetGame()) game->SendEvent(Player::kEventStageClear, 0);
}
