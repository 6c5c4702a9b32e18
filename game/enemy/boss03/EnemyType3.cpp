#include "game/enemy/boss03/EnemyType3.h"

#include <algorithm>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/player/ChainCounter.h"
#include "game/player/ItemMan.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kStart[3] = {0.0f, -3200.0f, 2568.0f};
constexpr float kArmourDrop = 200.0f;
// The node tables of the two cannon sets: body nodes, muzzle nodes.
constexpr int32_t kBodyNodes[2][3] = {{26, 28, 19}, {30, 41, 17}};
constexpr int32_t kMuzzleNodes[2][3] = {{53, 54, 56}, {52, 51, 55}};
constexpr float kMuzzleRadius = 4.0f;
constexpr float kShieldRadius = 30.0f;
// Wheel dust: only while the rail runs faster than this, every 5th frame.
constexpr float kDustSpeed = 0.35f;
constexpr float kDustDepth = 220.0f;
constexpr int32_t kEngineLevel = 61440;

}  // namespace

EnemyType3::EnemyType3() = default;

void EnemyType3::SetCannonTables(int set) {
  for (int i = 0; i < 3; ++i) {
    bodyNodes[i] = kBodyNodes[set][i];
    muzzleNodes[i] = kMuzzleNodes[set][i];
    muzzleRadii[i] = kMuzzleRadius;
    shieldRadii[i] = kShieldRadius;
  }
}

void EnemyType3::RegisterBodies(float* at, float radius) {
  body.Detach();
  body.Register(kHitGroup, kBodyMask, at, radius, this, 0, kHitAux);
  armour.Detach();
  armour.Register(kHitGroup, 0, armourPosition, kArmourRadius, this, 0, kHitAux);
  body.SetDisabled(1);
  armour.SetDisabled(1);
}

int32_t EnemyType3::Init(SProcArg arg) {
  script = &script_;
  phase = 0;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  own.Take(this);
  angles[0] = 0.0f;
  std::copy_n(kStart, 3, position);
  RegisterBodies(script_.cannons[2].shieldPosition, kBodyRadius);
  for (int n = 1; n <= 8; ++n) {
    B001Wheel& w = script_.wheels[n - 1];
    w.SetStatic(true);
    AddChild(2, &w, n);
  }
  script_.enemy = this;
  script_.position = position;
  script_.Enter();
  g_MapMng.armedPath = 0;
  g_MapMng.armedAt = kLoopTrigger;
  g_MapMng.armedT = kLoopStart;
  g_MapMng.armed = 1;
  return 0;
}

void EnemyType3::Step() {
  UpdateNodeWorlds(model.GetRootNode());
  EnemyBase::Step();
}

int32_t EnemyType3::Main(SProcArg arg) {
  OnMain(arg);
  if (body.disabled == 0) ProjectToScreen(hitPosition, hitPosition);
  std::copy_n(hitPosition, 3, previousPosition);
  if (armour.disabled == 0) {
    ProjectToScreen(position, armourPosition);
    armourPosition[1] -= kArmourDrop;
  }
  const float speed = g_MapMng.speed;
  if (speed > kDustSpeed && framesAlive % 5 == 0) WheelDust();
  if (speed < 1.0f)
    if (Game* g = GetGame()) g->SetSeVolume(EnemyType3Behavior::kEngineSound, int32_t(float(kEngineLevel) * speed));
  return 0;
}

void EnemyType3::WheelDust() {
  static constexpr float kSideDrift[4] = {0.0f, 10.0f, -3.0f, 1.0f};
  static constexpr float kRightDrift[4] = {7.0f, 0.0f, -3.0f, 1.0f};
  static constexpr float kLeftDrift[4] = {-7.0f, 0.0f, -3.0f, 1.0f};
  static constexpr float kTo[4] = {0.75f, 0.75f, 0.75f, 0.2f};
  for (int n = 1; n <= 8; ++n) {
    const float* t = script_.wheels[n - 1].translation;
    if (t == nullptr) continue;
    const bool side = n == 1 || n == 5;
    const float* d = side ? kSideDrift : n < 5 ? kRightDrift : kLeftDrift;
    const float from[4] = {0.9f, 0.9f, 0.9f, side ? 0.6f : 0.8f};
    const SVec4 at{t[0], t[1], t[2] + kDustDepth, t[3]};
    const SVec4 drift{d[0], d[1], d[2], d[3]};
    g_EfxMan.SpawnSprite(14, &at, SprEfx00_4KeysB, from, kTo, 20, 25, RandF(), 20.0f, 20.0f, nullptr, &drift,
                         1.0f, 0);
  }
}

int32_t EnemyType3::KillChildren(SProcArg arg) {
  const int32_t r = EnemyBase::KillChildren(arg);
  if (Game* g = GetGame()) g->StopSe(EnemyType3Behavior::kEngineSound);
  return r;
}

int32_t EnemyType3::User(int32_t code, SProcArg arg) {
  auto toList2 = [this](int32_t c) {
    if (SProcList* l = GetList(2)) l->Broadcast(c, 0);
  };
  switch (code) {
    case kHitEventHit: {
      LoseHitPoints(arg);
      static constexpr float kTint[4] = {1.0f, 1.0f, 0.83f, 1.0f};
      Flash(kTint, 0);
      break;
    }
    case kHitEventDefeated:
      PhaseEnd();
      break;
    case EV_GRABBED:
      grabArgument = grabbed == 0 ? uint32_t(arg) : 0;
      EShotMan::ClearAll(1);
      KillList(0);
      KillList(1);
      toList2(EV_GRABBED);
      pullCounter = 0;
      grabMode = GRAB_HELD;
      behavior.ChangeState(STATE_GRABBED);
      break;
    case EV_GRAB_ATTEMPT:
      KillList(0);
      KillList(1);
      toList2(EV_GRAB_ATTEMPT);
      if (IsActive()) {
        grabbed = 1;
        behavior.ChangeState(STATE_GRABBED);
        EShotMan::ClearAll(1);
      }
      break;
    case EV_BIND_SLOT:
      EObjBase::SetRoutePoint(int32_t(arg));
      break;
    case EV_RELEASED:
      behavior.ChangeState(STATE_FLYING);
      script_.ChangeState(SCRIPT_RELEASED);
      grabbed = 0;
      grabCount = 0;
      grabMode = GRAB_FREE;
      grabArgument = 0;
      KillList(1);
      toList2(EV_RELEASED);
      break;
    default:
      break;
  }
  return 0;
}

void EnemyType3::PhaseEnd() {
  KillList(1);
  B001Cannon* c = script_.cannons;
  auto flying = [this] {
    if (behavior.GetState() != STATE_FLYING) behavior.ChangeState(STATE_FLYING);
  };
  auto nextPhase = [&](int32_t state) {
    EShotMan::ClearAll(1);
    grabMode = GRAB_DEFEATED;
    hitPoints = param != nullptr ? param->hitPoints : 0;
    framesAlive = 0;
    chainFrameLimit = param != nullptr ? param->chainFrameLimit : 0;
    ++phase;
    script_.ChangeState(state);
    flying();
  };
  switch (phase) {
    case 0:
      // The weak point moves to cannon 5's shield before that cannon exists;
      // the body stays off until the script turns it on.
      nextPhase(EnemyType3Behavior::UNFOLD);
      c[0].SendEvent(kHitEventDefeated, 1);
      c[1].SendEvent(kHitEventDefeated, 1);
      c[2].SendEvent(kHitEventDefeated, 0);
      RegisterBodies(c[5].shieldPosition, kBodyRadius);
      break;
    case 1:
      nextPhase(EnemyType3Behavior::CORE);
      c[5].SendEvent(kHitEventDefeated, 0);
      RegisterBodies(hitPosition, kCoreRadius);
      break;
    case 2: {
      g_ItemMan.Spawn(this);
      c[3].SendEvent(kHitEventDefeated, 1);
      c[4].SendEvent(kHitEventDefeated, 1);
      body.Detach();
      armour.Detach();
      grabMode = GRAB_DEFEATED;
      script_.ChangeState(SCRIPT_DEFEATED);
      ++StageDefeatCount;
      float q[4];
      ProjectToScreen(position, q);
      g_ChainCounter.ShowPopup(q, 3);
      flying();
      ++phase;
      break;
    }
    default:
      break;
  }
}
