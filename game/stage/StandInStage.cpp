#include "game/stage/StandInStage.h"

#include "game/core/Game.h"
#include "game/player/Player.h"

void StandInStage::Started(Game& game) { game.ResetStageState(); }

void StandInStage::TimeUp() {
  if (Game* game = GetGame()) game->SendEvent(Player::kEventStageClear, 0);
}

void StandInDemo::Started(Game& game) {
  game.ResetStageState();
  game.demoPlay = 1;
}

void StandInDemo::Next(Game& game) {
  game.demoPlay = 0;
  if (CreditPresent())
    game.ChangeScene(SCENE_TITLE);
  else
    game.ChangeScene(SCENE_TUTORIAL, 0);
}
