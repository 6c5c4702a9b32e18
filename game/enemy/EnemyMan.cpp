#include "game/enemy/EnemyMan.h"

#include <algorithm>

#include "game/enemy/EObjBase.h"

// EnemyDrawList itself is defined with the program's global objects
// (game/flow/GlobalObjects.cpp): its storage is released after the managers.

void EnemyDrawListAdd(EObjBase* e) { EnemyDrawList.push_back(e); }

void EnemyDrawListRemove(EObjBase* e) {
  auto it = std::find(EnemyDrawList.begin(), EnemyDrawList.end(), e);
  if (it != EnemyDrawList.end()) EnemyDrawList.erase(it);
}

void EnemyMan::SortDrawList() {
  // Far (large z) first; a stable sort keeps the list order of equal depths.
  std::stable_sort(EnemyDrawList.begin(), EnemyDrawList.end(),
                   [](EObjBase* a, EObjBase* b) { return a->GetPosition()[2] > b->GetPosition()[2]; });
}

int32_t EnemyMan::Init(SProcArg) {
  SetName("EnemyMan");
  EnemyDrawList.reserve(kDrawRoom);
  const int32_t r = EnemyDrawList.capacity() >= kDrawRoom ? 0 : -1;
  SetInitResult(r);
  return r;
}

int32_t EnemyMan::Draw(SProcArg arg) {
  SortDrawList();
  // Indexed: a draw handler never adds to the list, and an enemy leaves it
  // only when it is disposed, after the frame's events.
  for (size_t i = 0; i < EnemyDrawList.size(); ++i) static_cast<SProc*>(EnemyDrawList[i])->Draw(arg);
  return 0;
}

int32_t EnemyMan::Main(SProcArg) {
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t EnemyMan::End(SProcArg) {
  BroadcastAll(EVENT_END, 0);
  return 0;
}
