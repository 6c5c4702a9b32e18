#pragma once
// The credit line at the foot of the screen and the start and continue
// prompts, as the coin counter's mode asks. The line shows for three
// seconds after each change and fades out in one more, except in the attract
// and continue modes, where it stays. A child process of the in-game
// display (its list 1), named "CoinDisplay".
#include <cstdint>

#include "game/core/GfxObject.h"
#include "vrax/kernel/SProc.h"

class CoinDisplay : public SProc {
 public:
  static constexpr int32_t kShowFrames = 180;
  static constexpr int32_t kFadeFrames = 60;

  // Alpha of the credit line for a mode and the frames since the last change.
  static float LineAlpha(int32_t mode, int32_t framesSinceChange, bool forceVisible);

  const GfxObject& Line() const { return line_; }
  const GfxObject& Prompt() const { return prompt_; }
  // What the last draw printed (empty when hidden).
  const char* LineText() const { return lineText_; }
  const char* PromptText() const { return promptText_; }
  int32_t FramesSinceChange() const { return framesSinceChange_; }

  uint8_t forceVisible = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  void BuildLine();
  void BuildPrompt();

  GfxObject line_;
  GfxObject prompt_;
  int32_t framesSinceChange_ = 240;
  int32_t seenCredits_ = 0;
  int32_t seenRemainder_ = 0;
  int32_t shownCredits_ = 0;
  int32_t shownRemainder_ = 0;
  char lineText_[64] = {};
  char promptText_[160] = {};
};
