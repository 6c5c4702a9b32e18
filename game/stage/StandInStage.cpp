#include "game/stage/StandInStage.h"

#include "game/core/Game.h"
#include "game/player/Player.h"

void StandInStage::Started(Game& game) { game.ResetStageState(); }

void StandInStage::TimeUp() {
  // A demo play is ended by its own rules, never by a stage clear.
  if (Game* game = GetGame(); game && !game->demoPlay) game->SendEvent(Player::kEventStageClear, 0);
}
