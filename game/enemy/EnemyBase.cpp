#include "game/enemy/EnemyBase.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/Flasher.h"
#include "game/player/ChainCounter.h"
#include "game/player/ItemMan.h"
#include "game/stage/ScriptStgRsc.h"

EnemyBase::EnemyBase() = default;

EnemyBase::~EnemyBase() = default;

void EnemyBase::ApplyAnimation() { trackTime = model.PoseAt(animator.value); }

int32_t EnemyBase::OnInit(SProcArg extra) {
  NameFromParam();
  behavior.Enter();
  g_EnemySet.paused = 1;
  pausedTimeline_ = 1;
  classKind = KIND_BOSS;
  everyCounter = 0;
  angles[0] = 0.1f;
  angles[1] = 0.0f;
  chainFrameLimit = param != nullptr ? param->chainFrameLimit : 0;
  framesAlive = 0;
  gauge.AllocPrims(1);
  gauge.SetActiveCount(0);
  spare.AllocPrims(1);
  spare.SetActiveCount(0);
  body.SetMask(kBodyMask);
  const auto* pair = reinterpret_cast<const EnemyRscSlotPair*>(extra);
  image = pair != nullptr && pair->image != nullptr ? pair->image->Get() : nullptr;
  modelRsc = pair != nullptr && pair->model != nullptr ? pair->model->Get() : nullptr;
  CreateLists(3);
  EnemyDrawListAdd(this);
  listed_ = 1;
  if (model.BindUnder(modelRsc, &placement, spawnPosition) < 0) {
    // Nothing to draw or hit: the enemy ends at once and the timeline runs on.
    modelRsc = nullptr;
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  trackLength = model.Length();
  ApplyAnimation();
  position = &placement.GetLocal()->m[3][0];
  SetInitResult(0);
  return 0;
}

void EnemyBase::ReleaseTimeline() {
  if (pausedTimeline_ == 0) return;
  g_EnemySet.paused = 0;
  pausedTimeline_ = 0;
}

int32_t EnemyBase::OnMain(SProcArg) {
  ApplyAnimation();
  behavior.Update();
  UpdateGauge();
  ++framesAlive;
  return 0;
}

void EnemyBase::UpdateGauge() {
  const int32_t full = param != nullptr ? param->hitPoints : 0;
  float ratio = full != 0 ? float(hitPoints) / float(full) : 0.0f;
  if (!(ratio > 0.0f)) ratio = 0.0f;
  const float w = ratio * kGaugeWidth;
  gauge.Seek(0, 0);
  static constexpr float kColour[4] = {0.85f, 0.85f, 0.0f, 0.7f};
  const float corners[4][2] = {{kGaugeLeft, kGaugeTop}, {w + kGaugeLeft, kGaugeTop}, {kGaugeLeft, kGaugeBottom},
                               {w + kGaugeLeft, kGaugeBottom}};
  for (const auto& c : corners) {
    gauge.SetColour(kColour);
    gauge.SetPos(c[0], c[1], 0.0f);
    gauge.Next();
  }
  gauge.SetActiveCount(gauge.GetCurVertex() / 4);
}

void EnemyBase::ResetPlacementRotation() {
  SMatrix* m = placement.GetLocal();
  // The upper 3 x 4 part and the last element from the identity; the
  // translation (the live position) stays.
  ResetRotation(m);
  m->m[3][3] = 1.0f;
  RotateLeft(m, 0, angles[0]);
  RotateLeft(m, 1, angles[1]);
}

int32_t EnemyBase::Draw(SProcArg) {
  if (image != nullptr) image->GetTexturePacket(0)->Enter(kModelKey);
  if (model.GetRootNode() != nullptr) model.Enter(kModelKey);
  if (script != nullptr) script->Notify();
  ResetPlacementRotation();
  gauge.Enter(kGaugeKey);
  spare.Enter(kGaugeKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t EnemyBase::KillChildren(SProcArg arg) {
  if (arg == 0 && pausedTimeline_ != 0) {
    g_EnemySet.paused = 0;
    pausedTimeline_ = 0;
  }
  return SProc::KillChildren(arg);
}

int32_t EnemyBase::OnDispose(SProcArg) {
  if (listed_ != 0) EnemyDrawListRemove(this);
  listed_ = 0;
  // The model's root hangs under the placement node; both go with the enemy.
  if (model.GetRootNode() != nullptr) model.GetRootNode()->SetParent(nullptr);
  return 0;
}

void EnemyBase::Flash(const float* colour, uint8_t hold) { StartModelFlash(this, model.GetRootNode(), colour, hold); }

void EnemyBase::Step() {
  if (script != nullptr) script->Update();
}

void EnemyBase::StepChildren() { BroadcastAll(EVENT_MAIN, 0); }

int32_t EnemyBase::User(int32_t code, SProcArg arg) {
  auto toList2 = [this](int32_t c) {
    if (SProcList* l = GetList(2)) l->Broadcast(c, 0);
  };
  switch (code) {
    case kHitEventHit:
      TakeDamage(arg);
      break;
    case kHitEventDefeated: {
      if (grabMode == GRAB_DEFEATED) break;
      g_ItemMan.Spawn(this);
      angles[1] = 0.0f;
      grabMode = GRAB_DEFEATED;
      KillList(0);
      KillList(1);
      toList2(kHitEventDefeated);
      EShotMan::ClearAll(1);
      // The screen clear's defeat neither counts nor pops up.
      if (arg != kUncounted && framesAlive <= chainFrameLimit) {
        float q[4];
        ProjectToScreen(GetPosition(), q);
        g_ChainCounter.ShowPopup(q, 3);
        ++StageDefeatCount;
      }
      behavior.ChangeState(STATE_DEFEATED);
      if (script != nullptr) script->ChangeState(SCRIPT_DEFEATED);
      break;
    }
    case EV_GRABBED:
      grabArgument = grabbed == 0 ? uint32_t(arg) : 0;
      EShotMan::ClearAll(1);
      KillList(0);
      KillList(1);
      toList2(EV_GRABBED);
      angles[1] = 0.0f;
      pullCounter = 0;
      grabMode = GRAB_HELD;
      behavior.ChangeState(STATE_GRABBED);
      break;
    case EV_GRAB_ATTEMPT:
      KillList(0);
      KillList(1);
      toList2(EV_GRAB_ATTEMPT);
      angles[1] = 0.0f;
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
      behavior.ChangeState(param != nullptr && param->ReleaseRoute() != nullptr ? STATE_RELEASED : STATE_FLYING);
      if (script != nullptr) script->ChangeState(SCRIPT_RELEASED);
      grabbed = 0;
      grabCount = 0;
      grabMode = GRAB_FREE;
      grabArgument = 0;
      KillList(1);
      toList2(EV_RELEASED);
      break;
    case EV_GRAB_FLASH:
      if (param != nullptr && param->RecoilRoute() != nullptr) {
        routeChoice = ChooseRoute(param->recoilRouteIndex);
        CopyRoutePoint(param->RecoilRoute(routeChoice));
      }
      break;
    default:
      break;
  }
  return 0;
}

// ---------------------------------------------------------------- toolkit

void EnemyBase::SetRoutePoint(uint32_t n) {
  routeCursorIndex = int32_t(n);
  const RouteEntry* e = param != nullptr && n <= uint32_t(INT32_MAX) ? param->RouteAt(int32_t(n)) : nullptr;
  CopyRoutePoint(e);
}

void EnemyBase::SetRoutePointEx(uint32_t n, float speed) {
  routeCursorIndex = int32_t(n);
  const RouteEntry* e = param != nullptr && n <= uint32_t(INT32_MAX) ? param->RouteAt(int32_t(n)) : nullptr;
  if (e == nullptr) return;
  CopyRoutePoint(e);
  animator.speed = speed;
}

void EnemyBase::SetMove(float from, float to, uint32_t wrap, float speed) {
  animator.start = from;
  animator.limit = to;
  animator.value = from;
  animator.wrap = wrap;
  animator.speed = speed;
  animator.count = 0;
}

bool EnemyBase::EveryFrames(int32_t n) {
  if (everyCounter < n) {
    ++everyCounter;
    return false;
  }
  everyCounter = 0;
  return true;
}
