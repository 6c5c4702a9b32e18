#include "support/FreshGlobals.h"

#include <algorithm>
#include <array>
#include <new>

#include "game/core/CoinCounter.h"
#include "game/core/RankTable.h"
#include "game/core/Replay.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/HitMan.h"
#include "game/player/ItemMan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/tables/testmode_tables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"

extern CoinCounter g_CoinCounter;

namespace testsupport {

namespace {

template <class T>
void Destroy(T& object) {
  object.~T();
}

template <class T>
void Build(T& object) {
  new (&object) T();
}

// The input test's marks as the program starts (the table is constant
// initialised, so it holds them before any dynamic initialisation).
const std::array<TestLayoutRecord, 8> kStartInputSwitches = std::to_array(InputSwitchTable);

}  // namespace

void RenewGlobals() {
  Destroy(g_EnemyMan);
  Destroy(g_ZGInterface);
  Destroy(g_ItemMan);
  Destroy(g_MapMng);
  Destroy(g_DashForm);
  Destroy(g_EfxMan);
  Destroy(g_EShotMan);
  Destroy(g_PShotMan);
  Destroy(g_Replay);
  Destroy(g_ChainCounter);
  Destroy(g_Player);
  Destroy(g_HitMan);
  Destroy(g_CoinCounter);
  Build(g_CoinCounter);
  Build(g_HitMan);
  Build(g_Player);
  Build(g_ChainCounter);
  Build(g_Replay);
  Build(g_PShotMan);
  Build(g_EShotMan);
  Build(g_EfxMan);
  Build(g_DashForm);
  Build(g_MapMng);
  Build(g_ItemMan);
  Build(g_ZGInterface);
  Build(g_EnemyMan);
  SGpMan::ResetRenderState();
  for (RankEntry& e : RankTable) e = RankEntry{};
  PendingRankEntry = RankEntry{};
  std::copy(kStartInputSwitches.begin(), kStartInputSwitches.end(), InputSwitchTable);
  plat::SRand(1);  // the C library's seed before any srand
}

}  // namespace testsupport
