#pragma once
// The continue prompt shown when the lives have run out: it pauses the game
// root while it is up and writes its answer into ContinuePromptAnswer (-1
// none yet, 0 no continue, 1 continue), which the Player reads.
// Not built yet: it waits kFrames frames for a start press (with a credit,
// or in free play) and otherwise answers no.
#include <cstdint>

#include "vrax/kernel/SProc.h"

extern int32_t ContinuePromptAnswer;

class ContinuePrompt : public SProc {
 public:
  static constexpr int32_t kFrames = 600;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Answer(int32_t answer);

  int32_t frames_ = 0;
};
