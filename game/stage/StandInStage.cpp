#include "game/stage/StandInStage.h"

#include "game/core/Game.h"

void StandInStage::TimeUp() {
  if (Game* game = GetGame()) game->stageClear = 1;
}

void StandInDemo::Started(Game& game) { game.demoPlay = 1; }

void StandInDemo::Next(Game& game) {
  game.demoPlay = 0;
  if (CreditPresent())
    game.ChangeScene(SCENE_TITLE);
  else
    game.ChangeScene(SCENE_TUTORIAL, 0);
}
