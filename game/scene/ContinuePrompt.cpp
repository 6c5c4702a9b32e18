#include "game/scene/ContinuePrompt.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"

int32_t ContinuePromptAnswer = -1;

int32_t ContinuePrompt::Init(SProcArg) {
  SetName("ContinuePrompt");
  frames_ = 0;
  ContinuePromptAnswer = -1;
  if (Game* g = Game::GetInstance()) g->SetPause(true);
  SetInitResult(0);
  return 0;
}

int32_t ContinuePrompt::OnDispose(SProcArg) {
  if (Game* g = Game::GetInstance()) g->SetPause(false);
  return 0;
}

void ContinuePrompt::Answer(int32_t answer) {
  ContinuePromptAnswer = answer;
  Kill(0);
}

int32_t ContinuePrompt::Draw(SProcArg) {
  if (ContinuePromptAnswer >= 0) return 0;
  Game* g = Game::GetInstance();
  ++frames_;
  if (g != nullptr && g->GamePadRef().GetCounter(SPad::PAD_START) == 0) {
    CoinCounter* coins = GetCoinCounter();
    const bool freePlay = g->settings[kSetCoinPlay] == 0;
    if (freePlay || (coins != nullptr && coins->CanStart())) {
      if (!freePlay && coins != nullptr) coins->ConsumePlay();
      Answer(1);
      return 0;
    }
  }
  if (frames_ >= kFrames) Answer(0);
  return 0;
}
