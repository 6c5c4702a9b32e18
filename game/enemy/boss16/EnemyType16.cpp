#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss16/Boss16.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;
// The model stands a quarter turn about x from the other bosses'.
constexpr SMatrix kBase = {{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}};

}  // namespace

int32_t EnemyType16::Init(SProcArg arg) {
  script = &script_;
  if (OnInit(arg) < 0) return -1;
  script_.position = position;
  script_.enemy = this;
  script_.Enter();
  script_.thunder.SetStatic(true);
  const int32_t r = AddChild(2, &script_.thunder, 0);
  g_MapMng.armedT = kLoopTo;
  g_MapMng.armedAt = kLoopAt;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  UpdateNodeWorlds(this);
  SetInitResult(r);
  return r;
}

int32_t EnemyType16::Draw(SProcArg arg) {
  EnemyBase::Draw(arg);
  SMatrix* m = PlacementNode()->GetLocal();
  SMatrix::Multiply(m, &kBase, m);
  return 0;
}

int32_t EnemyType16::Main(SProcArg arg) {
  OnMain(arg);
  UpdateNodeWorlds(this);
  const int32_t s = script_.GetState();
  if (s >= 1 && s <= SCRIPT_RELEASED) Sparks();
  return 0;
}

void EnemyType16::Sparks() {
  static constexpr float kSparkFrom[4] = {1.0f, 1.0f, 1.0f, 0.05f}, kSparkTo[4] = {0.9f, 0.9f, 0.9f, 0.25f};
  static constexpr float kEmberFrom[4] = {0.8f, 0.2f, 0.2f, 0.1f}, kEmberTo[4] = {0.7f, 0.5f, 0.5f, 0.4f};
  // One sprite: angle, distance, then its rotation drawn in this order.
  const auto sprite = [this](bool spark, float base, float span) {
    const float a = RandF();
    const float d = RandF() * span + base;
    const SVec4 at{position[0] + d * std::cos(kTwoPi * a), position[1] + d * std::sin(kTwoPi * a), position[2], 1.0f};
    const float turn = RandF();
    if (spark)
      g_EfxMan.SpawnSprite(8, &at, &SprEfx00_4KeysB[0], kSparkFrom, kSparkTo, 50, 50, turn, 2.2f, 2.2f, nullptr,
                           nullptr, 0.0f, 1);
    else
      g_EfxMan.SpawnSprite(10, &at, &SprEfx00_1KeysB[0], kEmberFrom, kEmberTo, 30, 40, turn, 3.0f, 3.0f, nullptr,
                           nullptr, 0.0f, 1);
  };
  const int32_t f = framesAlive;
  if ((f & 6) == 0) {
    for (int i = 0; i < 4; ++i) sprite(true, 100.0f, 100.0f);
    for (int i = 0; i < 5; ++i) sprite(false, 110.0f, 90.0f);
  }
  if ((f & 9) == 0) {
    sprite(true, 0.0f, 100.0f);
    sprite(false, 0.0f, 110.0f);
  }
}

int32_t EnemyType16::End(SProcArg) {
  // Steps the thunder manager and the generators.
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t EnemyType16::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED)
    StopBossVoices({58, 59, 60, 61, 62});
  return EnemyBase::OnDispose(arg);
}
