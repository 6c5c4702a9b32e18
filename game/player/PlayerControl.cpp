// The control layer of the Player: what its play state runs each frame
// while the player is in control (movement, tilt and pose, auto-fire, bomb,
// lock-on) and the reactions to hits and catches.
#include <cmath>
#include <cstdlib>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/EObjBase.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/EnemyScan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/PlayerFx.h"
#include "game/player/ZGInterface.h"
#include "platform/crt_rand.h"

namespace {

Game* TheGame() { return Game::GetInstance(); }

void PlaySe(int32_t n, int32_t factor) {
  if (Game* g = TheGame()) g->PlaySe(n, factor);
}


// v moved by step towards 0.
float Towards0(float v, float step) {
  if (v > 0.0f) return v - step < 0.0f ? 0.0f : v - step;
  if (v < 0.0f) return v + step > 0.0f ? 0.0f : v + step;
  return v;
}

// The volley: four shots at these offsets from the shot origin.
struct VolleyShot {
  float dx, dy, length;
};
constexpr VolleyShot kVolley[4] = {{-10.0f, -4.0f, 1.5f}, {10.0f, -4.0f, 1.5f}, {-26.0f, 4.0f, 1.0f}, {26.0f, 4.0f, 1.0f}};

constexpr int32_t kSoundVolley = 7;
constexpr int32_t kSoundLockOn = 8;
constexpr int32_t kSoundLockOn2 = 51;
constexpr int32_t kSoundCatch = 11;

}  // namespace

// ============================================================ frame

void Player::PlayStep() {
  ControlStep();
  switch (controlMode) {
    case CONTROL_NORMAL: NormalStep(); break;
    case CONTROL_LOCKON: LockOnStep(); break;
    case CONTROL_BOMB: BombStep(); break;
    case CONTROL_DASH: DashStep(); break;
    default: break;
  }
  ClampToPlayArea();
  ModeEffects();
}

void Player::ControlStep() {
  int32_t mask = 0;
  if (controlMode == CONTROL_NORMAL)
    mask = modeSubState == 0 ? kControlMove | kControlTilt | kControlAutoFire | kControlBomb | kControlLockOn : 0;
  else if (controlMode == CONTROL_LOCKON)
    mask = kControlMove | kControlTiltDecay | kControlBomb;
  else if (controlMode == CONTROL_BOMB)
    mask = kControlTiltDecay;
  InputBlock& in = input;
  if ((mask & kControlTilt) != 0) {
    if (in.left > 0)
      in.tiltX -= 0.1f;
    else if (in.right > 0)
      in.tiltX += 0.1f;
    else
      in.tiltX = Towards0(in.tiltX, 0.1f);
    if (in.up > 0)
      in.tiltY -= 0.1f;
    else if (in.down > 0)
      in.tiltY += 0.1f;
    else
      in.tiltY = Towards0(in.tiltY, 0.1f);
    for (float* t : {&in.tiltX, &in.tiltY}) {
      if (*t > 1.0f) *t = 1.0f;
      if (*t < -1.0f) *t = -1.0f;
      if (*t > -0.1f && *t < 0.1f) *t = 0.0f;
    }
  }
  if ((mask & kControlTiltDecay) != 0) {
    for (float* t : {&in.tiltX, &in.tiltY}) {
      *t = Towards0(*t, 0.05f);
      if (*t > -0.05f && *t < 0.05f) *t = 0.0f;
    }
    poseWeight = poseWeight - 0.05f < 0.0f ? 0.0f : poseWeight - 0.05f;
  }
  if ((mask & kControlAutoFire) != 0) {
    int32_t& f = fireCounter;
    if (f > 0) {
      ++f;
      if (f % 12 == 0) {
        if (in.a < 1 && rePress == 0) f = 0;
        rePress = 0;
      }
      if (f > 0) {
        FireVolley();
        if (in.a == 1) rePress = 1;
      }
    } else if (in.a > 0) {
      f = 1;
      rePress = 0;
      FireVolley();
    }
  }
  if ((mask & kControlLockOn) != 0 && in.b == 1 && !(in.a >= 1 && in.a <= 4) && lockOnCooldown <= 0) EnterLockOn();
  if ((mask & kControlBomb) != 0 && in.a >= 1 && in.a <= 4 && in.b >= 1 && in.b <= 4) {
    Game* g = TheGame();
    if (g != nullptr && g->bombs >= 1) {
      --g->bombs;
      StartBomb();
    }
  }
  if ((mask & kControlMove) != 0) {
    Game* g = TheGame();
    float s = (g != nullptr && g->GetSceneId() == SCENE_TUTORIAL) ? 4.0f : 5.0f;
    if (in.a > 0) {
      s = 3.0f;
      idleFlag = 0;
    }
    auto h = [](int32_t c) { return c >= 0 ? 1.0f : 0.0f; };
    position[0] += (h(padCounters[PAD_SLOT_RIGHT]) - h(padCounters[PAD_SLOT_LEFT])) * s;
    position[1] += (h(padCounters[PAD_SLOT_DOWN]) - h(padCounters[PAD_SLOT_UP])) * s;
  }
}

void Player::ClampToPlayArea() {
  if (position[0] < 0.0f) {
    if (position[0] < kMinX) position[0] = kMinX;
  } else if (position[0] > kMaxX) {
    position[0] = kMaxX;
  }
  if (position[1] < 0.0f) {
    if (position[1] < kMinY) position[1] = kMinY;
  } else if (position[1] > kMaxY) {
    position[1] = kMaxY;
  }
}

void Player::FireVolley() {
  const int32_t f = fireCounter;
  if (f % 3 != 0 || f % 15 >= 12) return;
  for (const VolleyShot& v : kVolley)
    g_PShotMan.Fire(0, 0, displayPosition[0] + v.dx, displayPosition[1] + v.dy, 0.0f, -35.0f, 1.0f, v.length, 8.0f);
  PlaySe(kSoundVolley, 55296);
}

// ============================================================ modes

void Player::NormalStep() {
  shieldShown = invulnerability > 0 ? 1 : 0;
  if (controlMode == CONTROL_NORMAL) UpdatePose();
}

void Player::UpdatePose() {
  const InputBlock& in = input;
  const bool sideways = in.left > 0 || in.right > 0;
  auto held = [&](int32_t pose) {
    switch (pose) {
      case 1: return in.left > 0;
      case 2: return in.right > 0;
      case 3: return in.up > 0 && !sideways;
      case 4: return in.down > 0 && !sideways;
      default: return false;
    }
  };
  if (poseDirection != 0) {
    poseWeight += held(poseDirection) ? 0.1f : -0.1f;
    if (poseWeight > 1.0f) poseWeight = 1.0f;
    if (poseWeight < 0.0f) poseDirection = 0, poseWeight = 0.0f;
  }
  if (poseDirection == 0 && poseWeight == 0.0f) {
    if (in.left > 0)
      poseDirection = 1;
    else if (in.right > 0)
      poseDirection = 2;
    else if (in.up > 0)
      poseDirection = 3;
    else if (in.down > 0)
      poseDirection = 4;
  }
  static constexpr int32_t kBlendHull[5] = {0, 0, 1, 2, 3};
  static constexpr int32_t kBlendPart[5] = {0, 1, 2, 0, 3};
  static constexpr int32_t kHoldHull[5] = {0, 2, 5, 8, 11};
  static constexpr int32_t kHoldPart[5] = {0, 6, 9, 3, 12};
  const int32_t p = poseDirection;
  if (p != 0 && poseWeight > 0.0f && poseWeight < 1.0f) {
    const int32_t blend[2] = {kBlendHull[p], kBlendPart[p]};
    for (int32_t slot = 0; slot < 2; ++slot) {
      const MotionEntry& e = EntryOf(slot, blend[slot]);
      slots[slot].motion = blend[slot];
      slots[slot].frame = e.first + (e.last - e.first) * poseWeight;
    }
  } else if (p == 0 && poseWeight == 0.0f) {
    for (int32_t slot = 0; slot < 2; ++slot)
      if (slots[slot].motion != 0) StartMotion(slot, 0);
  } else if (p != 0 && poseWeight >= 1.0f) {
    if (slots[0].motion != kHoldHull[p]) StartMotion(0, kHoldHull[p]);
    if (slots[1].motion != kHoldPart[p]) StartMotion(1, kHoldPart[p]);
  }
}

void Player::EnterLockOn() {
  if (controlMode != CONTROL_NORMAL) return;
  options.ClearAll();
  controlMode = CONTROL_LOCKON;
  modeCounter = 0;
  lockOnFlag = 1;
  lockCount = 0;
  StartMotion(0, 16);
  PlaySe(kSoundLockOn, 57344);
  PlaySe(kSoundLockOn2, 61440);
  PlayerFx::Voice(6, 8);
  lockOnTimer = 0;
  lockOnCooldown = kLockOnCooldown;
  if (Game* g = TheGame()) g->IncCounterA();
  lockMarkersShown = 1;
  g_ChainCounter.contactTally = 0;
  g_ChainCounter.LockOnFlare();
}

void Player::StartBomb() {
  options.ClearAll();
  controlMode = CONTROL_BOMB;
  modeCounter = 0;
  modeSubState = 0;
  step = 0, stepLength = 0, stepCounter = 0;
  options.RemoveOne();
  EnableBodies();
  bombGaugeShown = 0;
  bombGaugeValue = 800.0f;
  for (float& v : leanTarget) v = 0.0f;
  PlayerFx::Trail(this);
  PlayerFx::Voice(4, 5);
}

void Player::LockOnStep() {
  --modeCounter;
  lockOnReference[0] = position[0];
  lockOnReference[1] = position[1] - 50.0f;
  lockOnReference[2] = position[2];
  if (lockOnTimer > 0) --lockOnTimer;
  lockTargets = EnemyScan::CountLockable();
  lockCursor = lockTargets > 0 ? lockCursor % lockTargets : 0;
  const int32_t m = slots[0].motion;
  if (m != 16 && m != 17 && m != 18) {
    EndLockOn();
    return;
  }
  const bool sweepBefore = outerBodies[0].disabled == 0;
  for (HitBody& b : outerBodies) b.SetDisabled(1);
  middleBody.SetDisabled(1);
  if (m != 18) {
    const float f = slots[0].frame;
    if (f >= 192.0f && f < 198.0f) {
      if (!sweepBefore) ++outerContactSerial;  // a new sweep: every enemy may be touched once
      outerBodies[0].SetDisabled(0);
      outerBodies[0].SetRadius(88.0f);
      outerPoints[0][0] = position[0];
      outerPoints[0][1] = position[1] - 28.0f;
      outerPoints[0][2] = position[2];
      for (int i = 1; i < kOuterBodies; ++i) outerBodies[i].SetRadius(0.0f);
    }
  }
  const bool sweepAfter = outerBodies[0].disabled == 0;
  if (sweepBefore && !sweepAfter && g_ChainCounter.contactTally > 0) {
    const float at[4] = {position[0], position[1] - 50.0f, 0.0f, 1.0f};
    g_ChainCounter.ShowTallyPopup(at, 0);
    if (Game* g = TheGame()) g->AddBonusScore(3, g_ChainCounter.contactTally * 1000);
    g_ChainCounter.contactTally = 0;
  }
}

void Player::EndLockOn() {
  lockOnFlag = 0;
  EnemyScan::ReleaseContacts();
  lockCount = 0;
  ResetControl();
  for (HitBody& b : outerBodies) b.SetDisabled(1);
  middleBody.SetDisabled(1);
  if (invulnerability < 20) invulnerability = 20;
}

void Player::OnLockHit(HitBody* enemyBody) {
  if (enemyBody == nullptr) return;
  if (enemyBody->owner != nullptr)
    enemyBody->owner->SendEvent(EObjBase::EV_GRAB_ATTEMPT, reinterpret_cast<SProcArg>(&outerBodies[0]));
  ++lockCount;
  PlayerFx::Burst(position);
  PlayerFx::Flash(position);
  TryStartDash();
  PlaySe(kSoundCatch, 57344);
  g_EShotMan.ClearAll(1);
  if (Game* g = TheGame()) g->IncCounterB();
}

void Player::TryStartDash() {
  if (lockCount > 0 && g_DashForm.Reset() > 0) {
    EndLockOn();
    SendEvent(kEventDash, 0);
  }
}

void Player::OnHit(HitBody* /*body*/) {
  // Only a ship in play and no longer shielded can be hit: the frames of
  // invulnerability after a respawn or a special move protect it, and a
  // hit during the death or a scripted flight does not start another death.
  if (state != STATE_PLAY || invulnerability > 0) return;
  Game* g = TheGame();
  if (g != nullptr) --g->lives;
  g_ZGInterface.LifeLostEffect();
  power = 2.0f;
  if (g != nullptr && g->lives < 0) g_ZGInterface.Ramp().Update(false);
  PlayerFx::Voice(9, 10);
  SetState(STATE_DEATH, 0);
  lockOnCooldown = 0;
}

void Player::ResetControl() {
  controlMode = CONTROL_NORMAL;
  modeCounter = 0;
  modeSubState = 0;
  hullLean[0] = hullLean[1] = hullLean[2] = 0.0f;
  hullLean[3] = 1.0f;
  EnableBodies();
  shieldShown = invulnerability > 0 ? 1 : 0;
  for (float& v : hullScale) v = 1.0f;
  lightColourA[0] = lightColourA[1] = lightColourA[2] = lightColourA[3] = 0.8f;
  lightColourB[0] = lightColourB[1] = lightColourB[2] = lightColourB[3] = 0.3f;
  options.PlaceByPower();
  fireCounter = 0;
}

// ============================================================ outer contacts

void Player::OnOuterContact(HitBody* b) {
  if (b == nullptr || b->position == nullptr) return;
  const float d = b->GetAux() < 50 ? static_cast<float>(b->GetAux()) : 100.0f;
  if (lockTargets <= 0) {
    const float r = RandF();
    const float aim[4] = {position[0] + (r - 0.5f) * 100.0f, position[1] - 300.0f, 0.0f, 1.0f};
    FireEffectShot(b->position, aim, d);
    return;
  }
  float aim[4] = {position[0], position[1], position[2], 1.0f};
  EnemyScan::LockableAt(lockCursor, aim);
  FireEffectShot(b->position, aim, d);
  if ((b->mask & kHitLockable) != 0) idleFlag = 1;
  PlaySe(3, 59136);
}

void Player::FireEffectShot(const float* from, const float* to, float damage) {
  const float dx = damage <= 0.0f ? from[0] - to[0] : to[0] - from[0];
  const float dy = damage <= 0.0f ? from[1] - to[1] : to[1] - from[1];
  float a = std::atan2(dy, dx) * 0.15915494f;
  const int32_t k = lockCursor / (lockTargets > 1 ? lockTargets : 1);
  a = (k % 2 == 0) ? a + static_cast<float>(k) * 0.001f : a - static_cast<float>(k) * 0.001f;
  const float rad = a * 6.2831855f;
  if (g_PShotMan.Fire(0, 0, from[0] - 4.0f, from[1] - 12.0f, 35.0f * std::cos(rad), 35.0f * std::sin(rad), 2.0f,
                      2.0f, damage) != nullptr) {
    ++effectShotCount;
    ++lockCursor;
  }
}
