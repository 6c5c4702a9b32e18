#include "game/player/ChainCounter.h"

#include <algorithm>
#include <new>

#include "game/core/Game.h"
#include "game/core/NumberPopup.h"
#include "game/core/StageCounters.h"
#include "game/player/Player.h"

// g_ChainCounter is defined with the other global objects, in their order
// (game/flow/GlobalObjects.cpp).

namespace {

// List 0 holds the aura (a member process, added with AddChildProcess),
// list 1 the number popups.
constexpr int32_t kPopupList = 1;

}  // namespace

ChainCounter::ChainCounter() = default;

int32_t ChainCounter::Init(SProcArg) {
  SetName("ChainCounter");
  if (ListCount() < 2) CreateLists(2 - ListCount());
  chain = 0;
  AddChildProcess(&aura, 0);
  return 0;
}

int32_t ChainCounter::Main(SProcArg) {
  if (GetCount() == kDecayFrames) {
    if (chain > 0) --chain;
    ResetCount();
  }
  Tick();
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t ChainCounter::Draw(SProcArg) {
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

void ChainCounter::Add() {
  ResetCount();
  ++chain;
}

void ChainCounter::Reset() {
  Set(0);
  stageBest = 0;
  ResetCount();
  contactTally = 0;
}

void ChainCounter::UpdateBest() {
  stageBest = std::max(stageBest, chain);
  playBest = std::max(playBest, stageBest);
  if (Game* g = GetGame()) g->record[REC_BEST_CHAIN] = static_cast<uint32_t>(playBest);
}

void ChainCounter::ShowPopup(const float* position, int32_t sizeClass) {
  if (chain >= 2) NewPopup(position, 0, chain, sizeClass);
}

void ChainCounter::ShowTallyPopup(const float* position, int32_t sizeClass) {
  if (contactTally <= 0) return;
  // A chain so long that its thousands pass 32 bits shows the largest.
  const int64_t a = static_cast<int64_t>(std::max(chain, 1)) * 1000;
  NewPopup(position, static_cast<int32_t>(std::min<int64_t>(a, INT32_MAX)), contactTally, sizeClass);
}

void ChainCounter::NewPopup(const float* position, int32_t a, int32_t b, int32_t sizeClass) {
  auto* popup = new (std::nothrow) NumberPopup(position, a, b, sizeClass);
  if (popup == nullptr) return;
  AddChild(kPopupList, popup, 0);
  if (popup->GetParent() == nullptr) delete popup;
}

void ChainCounter::KillPopups() {
  if (SProcList* l = GetList(kPopupList)) l->KillAll(0);
}

void ChainCounter::LockOnFlare() {
  aura.Flare(10);
  aura.glow = 0.9f;
}

int32_t ChainCounter::ResultRatio() {
  if (StageEnemyCount <= 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(std::max(StageDefeatCount, 0)) * 100 / StageEnemyCount);
}

int32_t ChainCounter::GetLockCatches() {
  const Game* g = GetGame();
  return g != nullptr ? static_cast<int32_t>(g->record[REC_LOCK_CATCHES]) : 0;
}

int32_t ChainCounter::GetLives() {
  const Game* g = GetGame();
  return g != nullptr ? g->lives : 0;
}

int32_t ChainCounter::GetPowerLevel() { return static_cast<int32_t>(g_Player.power); }

uint64_t ChainCounter::ResultBonus(int32_t category) const {
  // Each factor counts as 0 when negative: no category takes points away.
  auto part = [](int64_t n, uint64_t value) { return n > 0 ? static_cast<uint64_t>(n) * value : 0u; };
  switch (category) {
    case RESULT_DEFEATS:
      return part(ResultRatio(), 1) * part(StageDefeatCount, 1000);
    case RESULT_BEST_CHAIN: return part(stageBest, 10000);
    case RESULT_LOCK_CATCHES: return part(GetLockCatches(), 20000);
    case RESULT_LIVES: return part(GetLives(), 50000);
    case RESULT_POWER: return part(GetPowerLevel(), 30000);
    case RESULT_TOTAL: {
      uint64_t sum = 0;
      for (int32_t c = RESULT_DEFEATS; c < RESULT_TOTAL; ++c) sum += ResultBonus(c);
      return sum;
    }
    default: return 0;
  }
}
