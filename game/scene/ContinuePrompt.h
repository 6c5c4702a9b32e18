#pragma once
// The continue offer over a running stage once the last life is lost. While
// it lives the game root is paused (its children get EVENT_DRAW only), so
// the prompt runs in its own EVENT_DRAW: a label and a number counting down
// from 20 in whole seconds, a coin restarting the count, start with a credit
// continuing the play; otherwise GAME OVER comes in from the depth and stays
// for 240 frames. Its answer goes into ContinuePromptAnswer, which the
// Player reads: 0 while the prompt runs, 1 continue, -1 game over. The word
// starts at -1 and the Player sets it to -1 before each prompt, so a prompt
// that never ran reads as game over, never as a continue.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/PhaseTimer.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

extern int32_t ContinuePromptAnswer;

class ContinuePrompt : public SProc {
 public:
  enum Phase : int32_t { PHASE_COUNTDOWN = 0, PHASE_GAME_OVER = 1, PHASE_CONTINUE = 2 };
  // The count runs over frames 0 to kCountFrames; presses shorten it from
  // kPressFrom on; GAME OVER stays kGameOverFrames.
  static constexpr int32_t kCountFrames = 1260;
  static constexpr int32_t kPressFrom = 180;
  static constexpr int32_t kGameOverFrames = 240;
  static constexpr int32_t kTickSound = 7;
  static constexpr int32_t kContinueSound = 1;
  static constexpr int32_t kGameOverSound = 13;
  static constexpr int32_t kCountSound = 12;

  int32_t GetPhase() const { return timer_.GetPhase(); }
  int32_t GetCount() const { return timer_.GetCount(); }
  // The number shown (-1 before the first frame).
  int32_t GetShown() const { return shown_; }
  const GfxObject& NumberText() const { return number_; }
  const SGpState_World& GameOverDepth() const { return depth_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Countdown();
  void GameOver();
  void Continue();

  PhaseTimer timer_;
  SGpObj_PrimQuad gameOver_;
  SGpObj_PrimQuad label_;
  GfxObject number_;
  SGpState_World depth_;
  int32_t shown_ = -1;
};
