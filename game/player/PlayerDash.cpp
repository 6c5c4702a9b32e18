// The Player's side of the dash attack: control mode 5 moves the ship
// through the dash formation's states, from target to target and back to
// where the dash started.
#include <cmath>

#include "game/core/Easing.h"
#include "game/core/Game.h"
#include "game/effect/ExplosionBursts.h"
#include "game/effect/RandF.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/EnemyScan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/PlayerFx.h"

namespace {

Game* TheGame() { return Game::GetInstance(); }

void PlaySe(int32_t n, int32_t factor) {
  if (Game* g = TheGame()) g->PlaySe(n, factor);
}

// Adds n to the play's chain count and keeps its best.
void AddChainCount(uint32_t n) {
  Game* g = TheGame();
  if (g == nullptr) return;
  g->record[REC_RUN] += n;
  if (static_cast<int32_t>(g->record[REC_RUN]) > static_cast<int32_t>(g->record[REC_RUN_MAX]))
    g->record[REC_RUN_MAX] = g->record[REC_RUN];
}

// A dash run motion: 19, 24 or 29.
int32_t RandomRun() {
  const float r = RandF() * 3.0f;
  return r < 1.0f ? 19 : (r < 2.0f ? 24 : 29);
}

constexpr int32_t kBossPressWindow[DashForm::kSlots] = {30, 30, 25, 25, 20, 20, 15};

}  // namespace

bool Player::PressedThisFrame() const { return input.a == 1 || input.b == 1; }

void Player::StartDash() {
  options.ClearAll();
  controlMode = CONTROL_DASH;
  modeCounter = 0;
  step = 0, stepLength = 0, stepCounter = 0;
  g_PShotMan.DisableBig();
  EnableBodies();
  dashEffectCount = 0;
  dash = DashRun{};
  DashPressCount = 0;
  if (EnemyScan::BossRunning())
    g_DashForm.StartOnBoss(position[0], position[1], position[2], position[3]);
  else
    g_DashForm.Start(position[0], position[1], position[2], position[3]);
  Game* g = TheGame();
  if (g_ChainCounter.contactTally > 0) {
    g_ChainCounter.ShowTallyPopup(position, 0);
    if (g != nullptr) g->AddBonusScore(3, g_ChainCounter.contactTally * 1000);
    g_ChainCounter.contactTally = 0;
  }
  if (g_ChainCounter.chain > 1) g_ChainCounter.Set(g_ChainCounter.chain / 2);
}

void Player::DashStep() {
  ++modeCounter;
  DashForm& f = g_DashForm;
  switch (f.dashState) {
    case DashForm::DASH_IDLE:
      ResetControl();
      return;
    case DashForm::DASH_OPENING:
      DashOpening();
      break;
    case DashForm::DASH_AIMING:
      DashAim();
      break;
    case DashForm::DASH_STRIKING:
      DashStrike();
      break;
    case DashForm::DASH_MISSED:
      DashReturn();
      break;
    case DashForm::DASH_ALL_STRUCK:
      if (f.variant == DashForm::VARIANT_BOSS)
        DashFinishBoss();
      else
        DashReturn();
      break;
    default:
      break;
  }
  StepDashLean();
}

void Player::SetDashSegment(const float* target, float extra) {
  DashRun& d = dash;
  for (int k = 0; k < 3; ++k) {
    d.start[k] = position[k];
    d.end[k] = target[k];
  }
  d.start[3] = d.end[3] = 1.0f;
  const float dx = d.end[0] - d.start[0], dy = d.end[1] - d.start[1];
  const float dist = std::sqrt(dx * dx + dy * dy);
  d.length = dist + 30.0f + extra;
  d.travelled = 0.0f;
  d.n = 0;
  d.arrived = 0;
  if (dist < 0.001f) {
    d.arrived = 1;
    d.direction = -0.25f;
  } else {
    d.direction = std::atan2(dy, dx) * 0.15915494f;
  }
  const float dir = d.direction;
  float roll = 0.2f;
  if (dir >= -0.4f && dir <= 0.4f) {
    static constexpr float kBands[8] = {0.1f, 0.0f, -0.1f, -0.2f, -0.2f, -0.1f, 0.0f, 0.1f};
    int band = static_cast<int>((dir + 0.4f) / 0.1f);
    if (band > 7) band = 7;
    roll = kBands[band];
  }
  const float pitch = dir <= 0.0f ? 0.0f : -(0.25f - std::fabs(dir - 0.25f)) * 0.5f;
  for (int k = 0; k < 4; ++k) leanFrom[k] = hullLean[k];
  leanTarget[0] = pitch;
  leanTarget[1] = 0.7f * roll;
  leanTarget[2] = dir + 0.25f;
  leanTarget[3] = 1.0f;
  leanCounter = 0;
}

void Player::StepDashLean() {
  const int32_t s = g_DashForm.dashState;
  int32_t frames = 0;
  if (s == DashForm::DASH_STRIKING || s == DashForm::DASH_ALL_STRUCK) frames = 3;
  if (s == DashForm::DASH_MISSED) frames = 10;
  if (frames > 0) {
    if (leanCounter < frames) ++leanCounter;
    const float t = static_cast<float>(leanCounter) / static_cast<float>(frames);
    for (int k = 0; k < 4; ++k) hullLean[k] = leanFrom[k] + (leanTarget[k] - leanFrom[k]) * t;
  }
  if (s == DashForm::DASH_STRIKING && hullMotionFlag != 0) {
    const int32_t m = slots[0].motion;
    if (m == 22 || m == 23 || m == 27 || m == 28 || m == 32 || m == 33) {
      StartMotion(0, RandomRun());
      hullMotionFlag = 0;
    }
  }
}

void Player::DashOpening() {
  DashForm& f = g_DashForm;
  DashPressCount = 0;
  if (f.stateCounter <= 14) return;
  for (int32_t i = 0; i < f.targetCount; ++i) {
    f.slots[i].marker = DashForm::MARK_ARMED;
    f.slots[i].counter = 0;
  }
  f.targetIndex = 0;
  SetDashSegment(f.slots[0].position, 0.0f);
  f.dashState = DashForm::DASH_AIMING;
  f.stateCounter = 0;
}

void Player::DashAim() {
  DashForm& f = g_DashForm;
  const int32_t i = f.targetIndex;
  DashForm::Slot* slot = f.SlotAt(i);
  if (slot == nullptr) {
    f.dashState = DashForm::DASH_MISSED;
    f.stateCounter = 0;
    return;
  }
  const bool press = PressedThisFrame();
  const int32_t k = f.stateCounter;
  if (f.variant == DashForm::VARIANT_BOSS) {
    const int32_t window = kBossPressWindow[i];
    const int32_t counted = DashPressCount;
    DashPressCount = 0;
    const bool go = counted == 1 || (press && k <= window) || (k == 7 && f.bossTiming != 0);
    if (!go) {
      if (counted > 1 || press || k > window) {
        f.dashState = DashForm::DASH_MISSED;
        f.stateCounter = 0;
      }
      return;
    }
    const EObjBase* boss = f.Boss();
    float target[4] = {slot->position[0], slot->position[1], 0.0f, 1.0f};
    const float dx = target[0] - position[0], dy = target[1] - position[1];
    const float len = std::sqrt(dx * dx + dy * dy);
    if (len > 0.001f) {
      target[0] += dx / len * 200.0f;
      target[1] += dy / len * 200.0f;
    }
    SetDashSegment(target, 200.0f);
    dash.reAimed = 0;
    dash.strike = 0;
    dash.goodTiming = (k == 6 || k == 7) ? 1 : 0;
    AddChainCount(1);
    if (Game* g = TheGame(); g != nullptr && boss != nullptr)
      g->AddTotalC(static_cast<uint32_t>(boss->scoreValue > 0 ? boss->scoreValue : 0));
    f.dashState = DashForm::DASH_STRIKING;
    f.stateCounter = 0;
    return;
  }
  if (!(press || DashPressCount > 0 || k == 10)) return;
  DashPressCount = 0;
  SetDashSegment(slot->position, 0.0f);
  dash.strike = 0;
  dash.goodTiming = (k == 6 || k == 7) ? 1 : 0;
  AddChainCount(static_cast<uint32_t>(f.LinkedCount(i)));
  f.dashState = DashForm::DASH_STRIKING;
  f.stateCounter = 0;
}

void Player::Strike(int32_t result) {
  DashForm& f = g_DashForm;
  dash.strike = result;
  static constexpr int32_t kFollow[][2] = {{19, 20}, {24, 25}, {29, 30}, {34, 35}};
  for (const auto& p : kFollow)
    if (slots[0].motion == p[0]) StartMotion(0, p[1]);
  hullMotionFlag = 1;
  if (result == 4) {
    PlaySe(10, 61440);
    if (DashForm::Slot* s = f.SlotAt(f.targetIndex)) PlayerFx::ExplosionBurst(s->position);
  }
}

// The run has reached its end and the strike is decided.
void Player::ArriveSlot(int32_t i) {
  DashForm& f = g_DashForm;
  if (dash.strike == 4) {
    if (DashForm::Slot* s = f.SlotAt(i)) {
      s->marker = DashForm::MARK_STRUCK;
      s->counter = 0;
    }
    f.FindEnemy(i);
    f.targetIndex = i + 1;
    if (f.targetIndex < f.targetCount) {
      f.slots[f.targetIndex].marker = DashForm::MARK_CURRENT;
      f.slots[f.targetIndex].counter = 0;
      f.dashState = DashForm::DASH_AIMING;
    } else {
      f.dashState = DashForm::DASH_ALL_STRUCK;
    }
  } else {
    f.dashState = DashForm::DASH_MISSED;
  }
  f.stateCounter = 0;
  dash.n = 0;
}

void Player::DashStrike() {
  DashForm& f = g_DashForm;
  DashRun& d = dash;
  const int32_t i = f.targetIndex;
  ++d.n;
  const bool press = PressedThisFrame();
  if (press) ++DashPressCount;
  auto chooseRun = [&] {
    if (i == 0)
      StartMotion(0, 19);
    else if (i == f.targetCount - 1)
      StartMotion(0, 34);
    else
      StartMotion(0, RandomRun());
  };
  if (f.variant == DashForm::VARIANT_BOSS) {
    if (d.n <= 8) {
      const float k = std::fmin(1.0f, static_cast<float>(d.n) * (d.reAimed != 0 ? 0.125f : 0.2f));
      for (int c = 0; c < 3; ++c) position[c] = d.start[c] + (d.end[c] - d.start[c]) * k;
      if (d.reAimed == 0 && d.n == 1) chooseRun();
      if (d.reAimed == 0 && d.n == 3 && d.strike == 0) Strike(4);
      return;
    }
    if (d.reAimed == 0) {
      float point[4];
      f.ReAimPoint(i, position, point);
      const int32_t strike = d.strike;
      SetDashSegment(point, 200.0f);
      d.strike = strike;
      d.reAimed = 1;
      return;
    }
    if (d.strike == 0) Strike(5);
    ArriveSlot(i);
    return;
  }
  if (d.arrived == 0) {
    if (d.n == 1) chooseRun();
    const float v = d.n >= 3 ? 160.0f : 80.0f * (1.0f - std::cos(static_cast<float>(d.n) * kPi / 3.0f));
    const float a = d.direction * 6.2831855f;
    position[0] += v * std::cos(a);
    position[1] += v * std::sin(a);
    d.travelled += v;
    if (!press && d.strike == 0 && d.length - d.travelled <= 120.0f) Strike(4);
    if (d.travelled >= d.length) {
      if (d.strike == 0) Strike(5);
      d.travelled = d.length;
      for (int c = 0; c < 3; ++c) position[c] = d.end[c];
      d.arrived = 1;
      d.n = 0;
    }
    return;
  }
  ArriveSlot(i);
}

void Player::DashReturn() {
  DashForm& f = g_DashForm;
  DashRun& d = dash;
  if (f.stateCounter == 1) SetDashSegment(f.anchor, 0.0f);
  ++d.n;
  if (f.dashState == DashForm::DASH_MISSED && f.stateCounter == 1) {
    if (Game* g = TheGame()) g->ResetChain();
    for (int32_t k = f.targetIndex; k < f.targetCount; ++k) {
      f.slots[k].marker = DashForm::MARK_MISSED;
      f.slots[k].counter = 0;
    }
  }
  if (f.variant == DashForm::VARIANT_BOSS && f.dashState == DashForm::DASH_MISSED)
    for (int k = 0; k < 5; ++k) EmitRandomEffect(position, 0.2f * RandF());
  const float t = std::fmin(1.0f, static_cast<float>(d.n) * 0.1f);
  for (int c = 0; c < 3; ++c) position[c] = d.start[c] + (d.end[c] - d.start[c]) * t;
  if (d.n == 1 && f.variant == DashForm::VARIANT_CHAIN) EnemyScan::DashPayoff(f.targetIndex);
  if (d.n > 9) {
    // A boss dash that missed lets the boss go: it was grabbed when the
    // dash began and nothing else would release it.
    if (f.variant == DashForm::VARIANT_BOSS) {
      if (EObjBase* boss = f.Boss()) boss->SendEvent(EObjBase::EV_RELEASED, 0);
    }
    f.dashState = DashForm::DASH_CLOSING;
    f.stateCounter = 0;
    invulnerability = 90;
    ResetControl();
  }
}

void Player::DashFinishBoss() {
  DashForm& f = g_DashForm;
  DashRun& d = dash;
  if (f.stateCounter == 1) {
    SetDashSegment(f.anchor, 0.0f);
    for (DashForm::Slot& s : f.slots) s.marker = DashForm::MARK_ENDED, s.counter = 0;
    PlayerFx::Burst(position);
    FinishRing();
    PlaySe(23, 61440);
  }
  ++d.n;
  const float t = std::fmin(1.0f, static_cast<float>(d.n) * 0.1f);
  for (int c = 0; c < 3; ++c) position[c] = d.start[c] + (d.end[c] - d.start[c]) * t;
  if (d.n <= 9) return;
  if (EObjBase* boss = f.Boss()) {
    boss->SendEvent(kHitEventHit, f.targetIndex * 5000);
    if (boss->hitPoints < 1) {
      g_ChainCounter.Set(f.targetIndex + 1);
      g_ChainCounter.UpdateBest();
      const float at[4] = {0.0f, 0.0f, -300.0f, 1.0f};
      g_ChainCounter.ShowPopup(at, 0);
      if (Game* g = TheGame()) g->AddBonusScore(3, boss->scoreValue);
      g_ChainCounter.Set(0);
      boss->SendEvent(kHitEventDefeated, 0);
    } else {
      boss->SendEvent(EObjBase::EV_RELEASED, 0);
    }
  }
  f.dashState = DashForm::DASH_CLOSING;
  f.stateCounter = 0;
  invulnerability = 90;
  ResetControl();
}

void Player::FinishRing() {
  for (int32_t k = 1; k <= 16; ++k) {
    const float r = 210.0f * (0.4f + 0.6f * RandF());
    const float a = 6.2831855f * static_cast<float>(k) / 16.0f;
    const SVec4 at{std::cos(a) * r, std::sin(a) * r, 0.0f, 0.0f};
    SpawnExplosionLarge(&at);
  }
}
