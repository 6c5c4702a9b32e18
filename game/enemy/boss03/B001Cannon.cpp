#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/effect/ExplosionBursts.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/Flasher.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/player/ChainCounter.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kBurstSound = 14;
constexpr float kRingRadius = 80.0f;
constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void Project(float* p) {
  if (p[2] == 0.0f) return;
  ProjectToScreen(p, p);
  p[3] = 1.0f;
}

}  // namespace

int32_t B001Cannon::Init(SProcArg arg) {
  SetName("B001 Cannon");
  index = std::clamp(int32_t(arg), 0, 2);
  // The cannons have no record of their own: a fortieth of the boss's hit
  // points and the boss's score.
  const EnemyParam* p = boss_->param;
  param = nullptr;
  hitPoints = p != nullptr ? p->hitPoints / 40 : 0;
  scoreValue = p != nullptr ? p->scoreValue : 0;
  classKind = 3;
  paramKind = 1;
  rate = angle = easeStart = easeTarget = 0.0f;
  easeFrames = 1.0f;
  easeMode = EASE_RATE;
  grabMode = GRAB_FREE;
  node = boss_->model.GetNode(boss_->bodyNodes[index]);
  SGpNode* muzzle = boss_->model.GetNode(boss_->muzzleNodes[index]);
  if (node == nullptr || muzzle == nullptr) {
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  node->SetKeepWorld(1);
  bodyMatrix = node->GetWorld();
  position = &bodyMatrix->m[3][0];
  std::copy_n(&bodyMatrix->m[3][0], 4, shieldPosition);
  shield.Register(kHitGroup, kShieldMask, shieldPosition, boss_->shieldRadii[index], this, 0, kHitAux);
  muzzle->SetKeepWorld(1);
  muzzleMatrix = muzzle->GetWorld();
  std::copy_n(&muzzleMatrix->m[3][0], 4, hitPosition);
  body.Register(kHitGroup, kMuzzleMask, hitPosition, boss_->muzzleRadii[index], this, 0, kHitAux);
  body.SetDisabled(1);
  shield.SetDisabled(1);
  return 0;
}

void B001Cannon::SetAngleTarget(float target, float frames, int32_t a) {
  easeStart = angle;
  easeTarget = target;
  easeFrames = frames;
  easeCounter = 0.0f;
  axis = a;
}

void B001Cannon::SetRateTarget(float target, float frames, int32_t a) {
  SetAngleTarget(target, frames, a);
  easeStart = rate;
}

void B001Cannon::EaseAngle() {
  const float f = std::min(easeCounter / easeFrames, 1.0f);
  easeCounter += 1.0f;
  angle = easeStart + (easeTarget - easeStart) * f;
}

void B001Cannon::EaseRate() {
  const float f = std::min(easeCounter / easeFrames, 1.0f);
  easeCounter += 1.0f;
  rate = easeStart + (easeTarget - easeStart) * f;
  angle += rate;
}

int32_t B001Cannon::Main(SProcArg) {
  if (easeMode == EASE_ANGLE) EaseAngle();
  else if (easeMode == EASE_RATE) EaseRate();
  RotateLeft(node->GetLocal(), axis, angle);
  std::copy_n(&muzzleMatrix->m[3][0], 4, hitPosition);
  Project(hitPosition);
  std::copy_n(&bodyMatrix->m[3][0], 3, shieldPosition);
  if (shieldPosition[2] != 0.0f) ProjectToScreen(shieldPosition, shieldPosition);
  if (targetableFrames > 0) --targetableFrames;
  std::copy_n(hitPosition, 3, previousPosition);
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t B001Cannon::Draw(SProcArg) {
  if (node != nullptr && node->GetParent() == nullptr) node->Enter(EnemyBase::kModelKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t B001Cannon::OnDispose(SProcArg) {
  body.Detach();
  shield.Detach();
  return 0;
}

void B001Cannon::Destroyed(SProcArg ring) {
  float p[4];
  ProjectToScreen(position, p);
  if (Game* g = GetGame()) g->PlaySe(kBurstSound, 65536);
  const SVec4 at{p[0], p[1], 0.0f, p[3]};
  SpawnExplosionLarge2(&at);
  if (ring == 0) {
    for (int k = 0; k < 8; ++k) {
      const float a = float(k) / 8.0f * kTwoPi;
      const SVec4 q{p[0] + kRingRadius * std::cos(a), p[1] + kRingRadius * std::sin(a), 0.0f, p[3]};
      SpawnExplosionSmall2(&q);
    }
  }
  g_ChainCounter.ShowPopup(p, 0);
  grabMode = GRAB_DEFEATED;
  body.Detach();
  shield.Detach();
  // The wreck of the cannon stays where it was, off the boss's model.
  *node->GetLocal() = *node->GetWorld();
  node->SetParent(nullptr);
  Kill(0);
}

int32_t B001Cannon::User(int32_t code, SProcArg arg) {
  switch (code) {
    case kHitEventHit:
      // A hit while the flash runs does nothing at all.
      if (flashRunning != 0) break;
      SpawnChild<Flasher>(this, 0, 0, node, node, kWhite, uint8_t(0));
      LoseHitPoints(arg);
      break;
    case kHitEventDefeated:
      if (grabMode != GRAB_DEFEATED) Destroyed(arg);
      break;
    case EV_GRABBED:
    case EV_GRAB_ATTEMPT:
      easeStart = angle;
      easeTarget = 0.0f;
      easeCounter = 0.0f;
      easeFrames = 30.0f;
      KillChildrenAll(0);
      break;
    default:
      break;
  }
  return 0;
}
