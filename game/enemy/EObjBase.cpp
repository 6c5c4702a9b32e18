#include "game/enemy/EObjBase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EfxMan.h"
#include "game/effect/ExplosionBursts.h"
#include "game/effect/RandF.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/ItemMan.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;
constexpr float kEye = 512.0f;
// Pull frames of a grabbed simple enemy that still drift along its motion.
constexpr int32_t kDriftFrames = 16;
// Distance kept from the formation slot when pulled towards it.
constexpr float kSlotGap = 20.0f;
// Most records of one generator list started in one frame: a looping list
// whose delays are all 0 would otherwise start generators without end.
constexpr int32_t kMaxStartsPerFrame = 64;

// The laser of a laser record, standing where it was made.
SProc* NewLaser(const SMatrix* m, const GeneratorRecord* g) { return new (std::nothrow) ELaserGen(m, g); }

void PlaySe(int32_t n, int32_t level) {
  if (Game* g = GetGame()) g->PlaySe(n, level);
}

}  // namespace

float Distance3(const float* a, const float* b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void ProjectToScreen(const float* in, float* out) {
  out[0] = in[0];
  out[1] = in[1];
  const float z = in[2];
  if (z != 0.0f && z > -kEye) {
    const float s = kEye / (z + kEye);
    out[0] *= s;
    out[1] *= s;
  }
  out[2] = 0.0f;
  out[3] = in[3];
}

float EObjBase::TimerStep() { return g_MapMng.enemyTimeScale; }

EObjBase::EObjBase() { axis.Init(); }

void EObjBase::Setup(const EnemySpawnRecord* rec) {
  spawnPosition[0] = rec->x;
  spawnPosition[1] = rec->y;
  spawnPosition[2] = rec->z;
  spawnPosition[3] = 0.0f;
  for (int i = 0; i < 4; ++i) hitPosition[i] = spawnPosition[i];
  param = rec->param;
  float radius = 0.0f;
  if (param != nullptr) {
    hitPoints = param->hitPoints;
    scoreValue = param->scoreValue;
    paramKind = param->type == 0 ? 0 : param->type == 1 ? 1 : 2;
    radius = param->hitRadius;
  }
  body.Register(kHitGroup, kDefaultMask, hitPosition, radius, this, 0, kHitAux);
  const EnemyScript* s = rec->script;
  motionCursor = s != nullptr ? s->Motion() : nullptr;
  generatorCursor = s != nullptr ? s->Generators() : nullptr;
  defeatCursor = s != nullptr ? s->DefeatGenerators() : nullptr;
  routeCursor = s != nullptr ? s->Route() : nullptr;
  axisCursor = s != nullptr ? s->Axis() : nullptr;
  if (routeCursor != nullptr) {
    LoadRouteRecord(routeCursor);
    routeCursor = routeCursor->next;
  }
}

void EObjBase::StartMotion() {
  motion.position = GetPosition();
  motion.Setup(motionCursor != nullptr ? &motionCursor->block : nullptr);
}

void EObjBase::EndWithScript() {
  param = nullptr;
  source = nullptr;
  routeCursor = nullptr;
  motionCursor = nullptr;
  generatorCursor = nullptr;
  defeatCursor = nullptr;
  axisCursor = nullptr;
  // Its generators, children of the enemy, end with it.
  Kill(0);
}

void EObjBase::LoadRouteRecord(const RouteRecord* r) {
  const RouteEntry* e = param != nullptr ? param->RouteAt(int32_t(r->entryIndex)) : nullptr;
  if (e == nullptr) return;
  animator.start = e->from;
  animator.limit = e->to;
  animator.value = e->from;
  animator.speed = r->speed;
  animator.wrap = r->wrap;
  animator.count = 0;
}

void EObjBase::NameFromParam() {
  if (param != nullptr) SetName(std::string(param->name, strnlen(param->name, sizeof param->name)));
}

void EObjBase::LoseHitPoints(SProcArg damage) {
  const int64_t d = std::clamp<int64_t>(damage, INT32_MIN, INT32_MAX);
  hitPoints = int32_t(std::clamp<int64_t>(int64_t(hitPoints) - d, INT32_MIN, INT32_MAX));
}

void EObjBase::TakeDamage(SProcArg damage) {
  LoseHitPoints(damage);
  static constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  Flash(kRed, 0);
}

void EObjBase::CopyRoutePoint(const RouteEntry* e) {
  if (e == nullptr) return;
  animator.start = e->from;
  animator.limit = e->to;
  animator.value = e->from;
  animator.wrap = e->wrap;
  animator.speed = e->speed;
  animator.count = 0;
}

int32_t EObjBase::ChooseRoute(int32_t index) {
  int32_t choice = int32_t(RandF() * 2.0f);
  // RandF is exactly 1.0 once in 32768 draws: choice 2 names no entry of a
  // two-entry table; take the last entry there is.
  while (choice > 0 && (param == nullptr || param->RouteAt(index, choice) == nullptr)) --choice;
  return choice;
}

void EObjBase::SetRoutePoint(int32_t n) {
  DashForm::ClearSlot(&slot);
  slot.index = n;
  DashForm::Slot* s = g_DashForm.SlotAt(n);
  // No slot (or none that exists): nothing to be pulled to.
  if (n < 0 || s == nullptr) return;
  const float* p = GetPosition();
  float d = Distance3(s->position, p) - kSlotGap;
  if (d < 0.0f) d = 0.0f;
  if (g_DashForm.variant == DashForm::VARIANT_BOSS) d = 0.0f;
  slot.pullDistance = d;
  slot.pullHeading = std::atan2(s->position[1] - p[1], s->position[0] - p[0]) / kTwoPi;
  for (int i = 0; i < 4; ++i) slot.pullStart[i] = p[i];
}

void EObjBase::Burst(const float* pos, int32_t kind) {
  float q[4];
  ProjectToScreen(pos, q);
  const SVec4 v{q[0], q[1], q[2], q[3]};
  switch (kind) {
    case 1:
      PlaySe(16, 65536);
      SpawnExplosionSmall(&v);
      break;
    case 2:
      PlaySe(15, 57344);
      SpawnExplosionLarge(&v);
      break;
    case 3:
      PlaySe(16, 65536);
      SpawnExplosionSmall2(&v);
      break;
    case 4:
      PlaySe(14, 65536);
      SpawnExplosionLarge2(&v);
      break;
    default:
      break;
  }
}

void EObjBase::KillList(int32_t n) {
  if (SProcList* l = GetList(n)) l->KillAll(0);
}

void EObjBase::MainToList(int32_t n) {
  if (SProcList* l = GetList(n)) l->Broadcast(EVENT_MAIN, 0);
}

bool EObjBase::HasLaser() { return FindFirstInList("ELaserGen", 0) != nullptr; }

void EObjBase::UpdateHitPosition() {
  const float* p = GetPosition();
  hitPosition[0] = p[0] + (param != nullptr ? param->hitOffsetX : 0.0f);
  hitPosition[1] = p[1] + (param != nullptr ? param->hitOffsetY : 0.0f);
  hitPosition[2] = p[2];
  hitPosition[3] = p[3];
}

void EObjBase::LoadRecoilRoute() {
  if (param == nullptr || param->RecoilRoute() == nullptr) return;
  animator.PushState();
  routeChoice = ChooseRoute(param->recoilRouteIndex);
  CopyRoutePoint(param->RecoilRoute(routeChoice));
}

// ---------------------------------------------------------------- events

int32_t EObjBase::User(int32_t code, SProcArg arg) {
  switch (code) {
    case kHitEventHit:
      TakeDamage(arg);
      break;
    case kHitEventDefeated: {
      // A second defeat (the screen clear reaching a wreck, a shot in the
      // same frame) would pay, count and explode twice.
      if (grabMode == GRAB_DEFEATED) break;
      KillChildrenAll(0);
      float* p = GetPosition();
      Burst(p, param != nullptr ? param->burstKind : 0);
      g_ItemMan.Spawn(this);
      if (arg != kUncounted) {
        ++StageDefeatCount;
        float q[4];
        ProjectToScreen(p, q);
        g_ChainCounter.ShowPopup(q, 0);
      }
      if (grabMode == GRAB_FREE) {
        // The defeat generators fire from the wreck, their first step at once.
        int32_t n = defeatCursor != nullptr && param != nullptr ? kMaxStartsPerFrame : 0;
        for (const GeneratorRecord* g = defeatCursor; g != nullptr && n > 0; g = g->next, --n) {
          auto* gen = new (std::nothrow) EShotGen(p, g, -1, 0, this);
          if (gen == nullptr) continue;
          if (AddChild(0, gen, 0) >= 0 && gen->GetState() != STATE_NONE) static_cast<SProc*>(gen)->Main(0);
        }
        defeatCursor = nullptr;
      }
      grabMode = GRAB_DEFEATED;
      behavior.ChangeState(STATE_DEFEATED);
      break;
    }
    case EV_GRABBED:
      grabArgument = grabbed == 0 ? uint32_t(arg) : 0;
      KillList(1);
      pullCounter = 0;
      grabMode = GRAB_HELD;
      behavior.ChangeState(STATE_GRABBED);
      break;
    case EV_GRAB_ATTEMPT:
      if (behavior.GetState() == STATE_RECOIL) break;
      KillList(1);
      if (IsActive()) {
        grabCount = 1;
        grabbed = 1;
        const auto* partner = reinterpret_cast<const HitBody*>(arg);
        SendEvent(EV_GRAB_FLASH, reinterpret_cast<SProcArg>(partner != nullptr ? partner->position : nullptr));
      }
      break;
    case EV_BIND_SLOT:
      SetRoutePoint(int32_t(arg));
      break;
    case EV_RELEASED:
      behavior.ChangeState(param != nullptr && param->ReleaseRoute() != nullptr ? STATE_RELEASED : STATE_FLYING);
      grabMode = GRAB_FREE;
      grabArgument = 0;
      KillList(1);
      break;
    case EV_GRAB_FLASH: {
      KillList(1);
      static constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
      Flash(kRed, 1);
      if (param != nullptr && param->RecoilRoute() != nullptr) {
        routeChoice = ChooseRoute(param->recoilRouteIndex);
        CopyRoutePoint(param->RecoilRoute(routeChoice));
      }
      break;
    }
    case EV_RECOIL:
      if (grabCount > 0 && !HasLaser()) {
        recoilFrames = 30;
        behavior.ChangeState(STATE_RECOIL);
      }
      break;
    default:
      break;
  }
  return 0;
}

// ---------------------------------------------------------------- behaviour

void EObjBase::GrabCheck() {
  if (classKind == KIND_SIMPLE && grabbed != 0 && g_DashForm.dashState == DashForm::DASH_IDLE)
    SendEvent(kHitEventDefeated, 0);
}

void EObjBase::Pull() {
  if (g_DashForm.dashState != DashForm::DASH_OPENING) return;
  float* p = GetPosition();
  ++pullCounter;
  if (pullCounter < kDriftFrames && classKind == KIND_SIMPLE) {
    const float k = float(15 - pullCounter) / 15.0f * TimerStep();
    p[0] += k * motion.velocity[0];
    p[1] += k * motion.velocity[1];
  }
  if (slot.index >= 0) {
    const float k = float(g_DashForm.stateCounter + 1);
    const float s = (1.0f - std::cos(k / 15.0f * kPi)) * slot.pullDistance / 2.0f;
    p[0] = slot.pullStart[0] + s * std::cos(slot.pullHeading * kTwoPi);
    p[1] = slot.pullStart[1] + s * std::sin(slot.pullHeading * kTwoPi);
  }
}

int32_t EObjBase::Script(int32_t code, int32_t state) {
  switch (state) {
    case STATE_FLYING:
      if (code == Behavior::CODE_ENTER) {
        animator.PopState();
        return 1;
      }
      if (code != Behavior::CODE_FRAME) return 0;
      UpdateHitPosition();
      if (targetableFrames > 0) --targetableFrames;
      for (int i = 0; i < 3; ++i) previousPosition[i] = GetPosition()[i];
      GrabCheck();
      Step();
      animator.Advance(TimerStep());
      BroadcastAll(EVENT_MAIN, 0);
      return 1;
    case STATE_GRABBED:
      if (code == Behavior::CODE_ENTER) {
        body.SetDisabled(1);
        targetableFrames = 0;
        if (HasLaser()) KillList(0);
        if (grabbed == 0) {
          float c[4] = {1.0f, 1.0f, 1.0f, 1.0f};
          if (param != nullptr)
            for (int i = 0; i < 3; ++i) c[i] = param->grabFlash[i];
          Flash(c, 1);
        } else if (classKind == KIND_SIMPLE) {
          static constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
          Flash(kRed, 1);
        }
        PlaySe(kSoundGrab, 61440);
        LoadRecoilRoute();
        // The grab's mark: the one-texel list at scale 8, a violet square
        // 8 x 8 units across.
        static constexpr float kGrabColour[4] = {0.5f, 0.25f, 1.0f, 0.75f};
        const float* p = GetPosition();
        const SVec4 at{p[0], p[1], p[2], p[3]};
        g_EfxMan.SpawnSprite(6, &at, SprEfx_2Keys, kGrabColour, kGrabColour, 4, 8, 0.0f, 8.0f, 8.0f, nullptr, nullptr,
                             0.0f, 1);
        return 1;
      }
      if (code == Behavior::CODE_LEAVE) {
        body.SetDisabled(0);
        return 1;
      }
      if (code != Behavior::CODE_FRAME) return 0;
      UpdateHitPosition();
      Pull();
      GrabCheck();
      StepChildren();
      animator.Advance(1.0f);
      MainToList(1);
      return 1;
    case STATE_RECOIL:
      if (code == Behavior::CODE_ENTER) {
        targetableFrames = 0;
        LoadRecoilRoute();
        return 1;
      }
      if (code != Behavior::CODE_FRAME) return 0;
      UpdateHitPosition();
      GrabCheck();
      animator.Advance(1.0f);
      if (--recoilFrames <= 0) behavior.ChangeState(STATE_FLYING);
      return 1;
    case STATE_RELEASED:
      if (code == Behavior::CODE_ENTER) {
        if (param == nullptr || param->ReleaseRoute() == nullptr) {
          behavior.ChangeState(STATE_FLYING);
        } else {
          CopyRoutePoint(param->ReleaseRoute(routeChoice) != nullptr ? param->ReleaseRoute(routeChoice)
                                                                       : param->ReleaseRoute());
        }
        return 1;
      }
      if (code != Behavior::CODE_FRAME) return 0;
      StepChildren();
      animator.Advance(1.0f);
      if (animator.count >= 1) behavior.ChangeState(STATE_FLYING);
      MainToList(1);
      return 1;
    case STATE_DEFEATED:
      if (code == Behavior::CODE_ENTER) {
        body.Detach();
        if (param != nullptr && param->defeatMode == 3) return 1;
        if (param != nullptr && param->DefeatRoute() != nullptr) {
          CopyRoutePoint(param->DefeatRoute());
          generatorTimer = 0.0f;
        } else {
          Kill(0);
        }
        return 1;
      }
      if (code != Behavior::CODE_FRAME) return 0;
      animator.Advance(1.0f);
      if (param != nullptr && param->defeatMode == 3) {
        Step();
        BroadcastAll(EVENT_MAIN, 0);
      } else {
        Kill(0);
        BroadcastAll(EVENT_MAIN, 0);
      }
      return 1;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- script step

void EObjBase::StartGenerator(const GeneratorRecord* g) {
  SProc* gen = nullptr;
  if (g->IsLaser()) {
    const float* p = GetPosition();
    SMatrix m = kIdentityMatrix;
    m.m[3][0] = p[0] + g->offsetX;
    m.m[3][1] = p[1] + g->offsetY;
    m.m[3][2] = p[2];
    gen = NewLaser(&m, g);
  } else {
    gen = new (std::nothrow) EShotGen(GetPosition(), g, -1, 30, this);
  }
  if (gen != nullptr) AddChild(0, gen, 0);
}

void EObjBase::Step() {
  const float dt = TimerStep();
  float* p = GetPosition();
  // 1. Motion: the next record when this one has ended; the end of the list
  // ends the flight.
  if (motionCursor != nullptr && !motion.Update(p)) {
    motionCursor = motionCursor->next;
    if (motionCursor == nullptr || !motion.Setup(&motionCursor->block)) {
      motionCursor = nullptr;
      behavior.ChangeState(STATE_DEFEATED);
    }
  }
  // 2. Generators: every record that is due, those of delay 0 after it in the
  // same frame.
  if (generatorCursor != nullptr) {
    for (int32_t n = 0; generatorCursor != nullptr && generatorCursor->startTime <= generatorTimer &&
                        n < kMaxStartsPerFrame;
         ++n) {
      StartGenerator(generatorCursor);
      generatorCursor = generatorCursor->next;
      generatorTimer = 0.0f;
    }
    generatorTimer += dt;
  }
  // 3. Route: at most one record a frame.
  if (routeCursor != nullptr) {
    if (routeCursor->delay <= routeTimer) {
      LoadRouteRecord(routeCursor);
      routeCursor = routeCursor->next;
      routeTimer = 0.0f;
    }
    routeTimer += dt;
  }
  // 4. Axes.
  axis.Step(&angles[0], &angles[1], &angles[2], p);
  if (axisCursor != nullptr) {
    for (int32_t n = 0; axisCursor != nullptr && axisCursor->delay <= axisTimer && n < kMaxStartsPerFrame; ++n) {
      const AxisMotion::Block b = axisCursor->AsBlock();
      axis.SetAxis(&b);
      axisCursor = axisCursor->next;
      axisTimer = 0.0f;
    }
    axisTimer += dt;
  }
  // 5. Depth: far or near enemies cannot be hit.
  const float z = p[2];
  body.SetDisabled(z <= -kDepthLimit || z >= kDepthLimit ? 1 : 0);
  // 6. Leaving the play area, with a margin that grows with depth.
  const float m = z * 0.5f + kLeaveMargin;
  if (p[1] >= kAreaY + m || p[0] >= kAreaX + m || p[0] <= -kAreaX - m || p[1] <= -kAreaY - m) Kill(0);
}
