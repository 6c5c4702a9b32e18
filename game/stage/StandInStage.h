#pragma once
// Common ground of the stage scenes that are not built yet.
#include "game/scene/StandInScene.h"

// A stage that starts the Player and tells it, after kFrames frames, that
// the stage is cleared; the game root ends the stage once the Player's
// stage-clear sequence has run and shows the stage result.
class StandInStage : public StandInScene {
 protected:
  using StandInScene::StandInScene;
  void Started(Game& game) override;
  void TimeUp() override;
};
