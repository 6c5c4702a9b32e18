#include "game/stage/DemoPlay.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/scene/AttractScene.h"
#include "game/tables/font_tables.h"

void DemoPlay::Init() {
  phase_ = PHASE_WAIT;
  counter_ = 0;
  if (Game* g = GetGame()) g->demoPlay = 1;
  text_.Init(&SprFontDesc[1], 64);
  text_.SetSpacing(1.0f, 0.0f);
  text_.SetOrigin(-126.0f, -10.0f, 0.0f);
  text_.Printf("%s", " INSERT COIN(S) \n");
}

void DemoPlay::Main(bool stageReady) {
  switch (phase_) {
    case PHASE_WAIT:
      if (stageReady) {
        g_Replay.Begin(Replay::MODE_PLAY, replayFile_);
        phase_ = PHASE_PLAY;
      }
      break;
    case PHASE_PLAY:
      // A recording that loses its last life ends as if its time were up,
      // never as a play's game over (name entry or ranking).
      if (Game* g = GetGame(); g && g->gameOver) {
        g->gameOver = 0;
        counter_ = kPlayLimit + 1;
      }
      if (counter_ > kPlayLimit || AttractCoinsPresent()) {
        counter_ = 0;
        phase_ = PHASE_FADE;
        SceneFade(0.0f, kFadeFrames);
      } else {
        ++counter_;
      }
      break;
    default:
      if (counter_ == kFadeFrames)
        if (Game* g = GetGame()) g->ClearStageObjects();
      ++counter_;
      break;
  }
}

void DemoPlay::Draw() {
  Game* g = GetGame();
  if (!g) return;
  if (phase_ != PHASE_WAIT) {
    text_.Printf("%s", AttractPromptLine(counter_, AttractFreePlay()));
    text_.Enter(0);
  }
  // Both checks run: in free play a coin or a service press counts no
  // credit, so a start pressed in the same frame still grants its service
  // credit (the title follows).
  if (AttractCoinArrived()) g->ClearStageObjects();
  if (AttractFreeStartPressed()) {
    AttractGrantFreeStart();
    g->ClearStageObjects();
  }
}

void DemoPlay::DisposeBefore() {
  if (Game* g = GetGame()) g->demoPlay = 0;
  g_Replay.Save();
}

void DemoPlay::DisposeAfter() {
  if (Game* g = GetGame()) {
    if (AttractCoinsPresent())
      g->ChangeScene(SCENE_TITLE);
    else
      g->ChangeScene(SCENE_TUTORIAL, 0);
  }
}
