#pragma once
// Scene 9, the stand-alone continue offer (nothing in the game requests it;
// the offer during play is the ContinuePrompt): a panel that darkens as a
// number counts down from 20, a coin restarting the count, start with a
// credit continuing on the same stage; otherwise GAME OVER, and the play is
// recorded for the name entry or, when it does not rank, the ranking.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"

class Continue : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_COUNTDOWN = 1, STATE_CONTINUE = 2, STATE_GAME_OVER = 3 };

  int32_t GetFrame() const { return frame_; }
  int32_t GetCountdown() const { return countdown_; }
  int32_t GetPresses() const { return presses_; }
  bool Continued() const { return continued_; }
  const SGpObj_Prim& Curtain() const { return curtain_; }
  const SGpObj_Prim& GameOverQuad() const { return gameOver_; }
  const GfxObject& CountdownText() const { return text_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void CountdownFrame();
  void GameOverFrame();
  void UpdateCurtain();
  void DrawScreen(bool gameOver);

  SGpObj_PrimQuad panel_;
  SGpObj_PrimQuad gameOver_;
  SGpObj_PrimQuad label_;
  SGpObj_PrimQuad curtain_{plat::kFvfPosColour};
  GfxObject text_;
  int32_t frame_ = 0;
  int32_t countdown_ = 0;
  int32_t presses_ = 0;
  bool continued_ = false;
};
