#include "game/player/DashForm.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/RandF.h"
#include "game/player/PlayerFx.h"

int32_t DashFrameCounter = 0;

namespace {

constexpr int32_t kSoundOpen = 17;
constexpr float kTierScale[3] = {0.8f, 1.3f, 2.0f};
constexpr float kHalfPi = 1.5707964f;

EObjBase* EnemyOf(const HitBody* b) { return b != nullptr ? dynamic_cast<EObjBase*>(b->owner) : nullptr; }

float Distance2(const float* a, const float* b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1];
  return dx * dx + dy * dy;
}

bool InScreen(const float* p) { return p[0] >= -240.0f && p[0] <= 240.0f && p[1] >= -320.0f && p[1] <= 320.0f; }

template <class Fn>
void WalkEnemies(Fn&& fn) {
  HitGroupTable[kHitGroupEnemy].SafeWalk([&](SObject* o) {
    auto* b = static_cast<HitBody*>(o);
    if (EObjBase* e = EnemyOf(b)) fn(b, e);
  });
}

}  // namespace

// ============================================================ tests

bool DashForm::IsLockable(const HitBody* body, const float* p) {
  const EObjBase* e = EnemyOf(body);
  return body != nullptr && (body->mask & kHitLockable) != 0 && body->disabled == 0 && e != nullptr &&
         e->grabMode == EObjBase::GRAB_FREE && p != nullptr && InScreen(p);
}

bool DashForm::IsDashable(const HitBody* body, const float* p) {
  const EObjBase* e = EnemyOf(body);
  if (body == nullptr || (body->mask & kHitDashable) == 0 || body->disabled != 0 || e == nullptr ||
      e->grabMode == EObjBase::GRAB_DEFEATED)
    return false;
  if ((body->mask & kHitDashAnywhere) != 0) return true;
  return e->grabbed == 0 && p != nullptr && InScreen(p);
}

// ============================================================ process

int32_t DashForm::Init(SProcArg) {
  SetName("DashForm");
  for (float& v : anchor) v = 0.0f;
  dashState = DASH_IDLE;
  stateCounter = 0;
  bossTiming = 0;
  SetInitResult(0);
  return 0;
}

int32_t DashForm::OnDispose(SProcArg) {
  dashState = DASH_IDLE;
  stateCounter = 0;
  targetCount = 0;
  targetIndex = 0;
  return 0;
}

int32_t DashForm::Main(SProcArg) {
  ++stateCounter;
  ++DashFrameCounter;
  if (dashState == DASH_CLOSING && stateCounter > 10) {
    dashState = DASH_IDLE;
    stateCounter = 0;
  }
  for (int32_t i = 0; i < kSlots; ++i) {
    Slot& s = slots[i];
    ++s.counter;
    if (variant == VARIANT_CHAIN) {
      if (s.marker == MARK_STRUCK && s.counter >= 42) s.marker = MARK_IDLE;
      if (s.marker == MARK_MISSED && s.counter >= 30) s.marker = MARK_IDLE;
    } else if ((s.marker == MARK_MISSED || s.marker == MARK_ENDED) && s.counter >= 30) {
      s.marker = MARK_IDLE;
    }
    DrawMarker(i);
  }
  return 0;
}

void DashForm::ClearAll() {
  dashState = DASH_IDLE;
  stateCounter = 0;
  targetCount = 0;
  targetIndex = 0;
  bossTiming = 0;
  boss_.Reset();
  for (Slot& s : slots) s = Slot{};
}

void DashForm::Clear() {
  for (Candidate& c : candidates) c = Candidate{};
  candidateCount = 0;
}

// ============================================================ start

void DashForm::Start(float x, float y, float z, float w) {
  const float player[4] = {x, y, z, w};
  Clear();
  WalkEnemies([&](HitBody* b, EObjBase* e) {
    if (candidateCount >= kCandidates - 1 || b->disabled != 0 || e->classKind != EObjBase::KIND_SIMPLE) return;
    if (!IsDashable(b, b->position)) return;
    for (int32_t i = 0; i < candidateCount; ++i)
      if (candidates[i].enemy.Names(e)) return;  // one per enemy
    Candidate& c = candidates[candidateCount++];
    for (int k = 0; k < 3; ++k) c.position[k] = b->position[k];
    c.position[3] = 1.0f;
    c.enemy.Set(e);
  });
  targetCount = candidateCount < kSlots ? candidateCount : kSlots;
  for (int32_t i = 0; i < targetCount; ++i) {
    int32_t best = -1;
    float far = -1.0f;
    for (int32_t c = 0; c < candidateCount; ++c) {
      if (candidates[c].picked != 0) continue;
      const float d = Distance2(candidates[c].position, player);
      if (d >= far) far = d, best = c;
    }
    if (best < 0) break;
    Candidate& c = candidates[best];
    c.picked = 1;
    Slot& s = slots[i];
    s = Slot{};
    s.marker = MARK_SHOWN;
    for (int k = 0; k < 4; ++k) s.position[k] = c.position[k];
    s.offset = RandFS();
    if (EObjBase* e = LiveProc(c.enemy)) e->SendEvent(EObjBase::EV_BIND_SLOT, i);
  }
  variant = VARIANT_CHAIN;
  Spread(player);
  for (int k = 0; k < 4; ++k) anchor[k] = player[k];
  WalkEnemies([&](HitBody* b, EObjBase* e) {
    int32_t link = e->slot.index;
    if (link < 0) {
      if (!IsDashable(b, b->position) || targetCount == 0) return;
      float near = -1.0f;
      for (int32_t i = 0; i < targetCount; ++i) {
        const float d = Distance2(slots[i].position, b->position);
        if (near < 0.0f || d <= near) near = d, link = i;
      }
    }
    if (e->grabMode != EObjBase::GRAB_HELD) e->SendEvent(EObjBase::EV_GRABBED, 0);
    e->SendEvent(EObjBase::EV_BIND_SLOT, link);
    if (e->grabbed != 0 && e->behavior.GetNextState() == 0) e->SendEvent(EObjBase::EV_GRABBED, 0);
  });
  for (int32_t i = 0; i < targetCount; ++i) slots[i].tier = 0;
  WalkEnemies([&](HitBody*, EObjBase* e) {
    const int32_t link = e->slot.index;
    if (link < 0 || link >= targetCount) return;
    int32_t rank = e->GetRank();
    if (rank > 2) rank = 2;
    if (rank > slots[link].tier) slots[link].tier = rank;
  });
  targetIndex = 0;
  if (targetCount > 0) {
    slots[0].marker = MARK_CURRENT;
    slots[0].counter = 0;
  }
  dashState = DASH_OPENING;
  stateCounter = 0;
  if (Game* g = Game::GetInstance()) g->PlaySe(kSoundOpen, 51712);
}

// Moves slots that sit off the box or too close to their neighbours to the
// nearest valid point around them.
void DashForm::Spread(const float* from) {
  for (int32_t i = 0; i < targetCount; ++i) {
    float* p = slots[i].position;
    p[0] = std::fmin(std::fmax(p[0], -200.0f), 200.0f);
    p[1] = std::fmin(std::fmax(p[1], -260.0f), 280.0f);
  }
  for (int32_t i = 0; i < targetCount; ++i) {
    float* p = slots[i].position;
    const float* prev = i == 0 ? from : slots[i - 1].position;
    auto valid = [&](float x, float y) {
      if (x < -200.0f || x > 200.0f || y < -260.0f || y > 280.0f) return false;
      const float q[2] = {x, y};
      if (Distance2(q, prev) < 180.0f * 180.0f) return false;
      for (int32_t k = 0; k < i; ++k)
        if (Distance2(q, slots[k].position) < 120.0f * 120.0f) return false;
      return true;
    };
    if (valid(p[0], p[1])) continue;
    float radius = 10.0f, angle = 0.0f, stepA = 0.1f;
    bool found = false;
    for (int32_t tries = 0; tries < 5000 && stepA > 0.01f; ++tries) {
      const float a = angle * 6.2831855f;
      if (valid(p[0] + radius * std::cos(a), p[1] + radius * std::sin(a))) {
        found = true;
        angle -= stepA;
        stepA *= 0.5f;
        continue;
      }
      angle += stepA;
      if (angle >= 1.0f) {
        angle -= 1.0f;
        radius += 10.0f;
        if (radius >= 480.0f) {
          radius = 1.0f;
          stepA *= 0.5f;
        }
      }
    }
    if (!found) continue;
    const float a = (angle + stepA) * 6.2831855f;
    const float dir[2] = {std::cos(a), std::sin(a)};
    float r = radius - 10.0f, stepR = 10.0f;
    float best[2] = {p[0] + radius * dir[0], p[1] + radius * dir[1]};
    for (int32_t tries = 0; tries < 300 && stepR > 0.1f; ++tries) {
      const float x = p[0] + r * dir[0], y = p[1] + r * dir[1];
      if (valid(x, y)) {
        best[0] = x, best[1] = y;
        stepR *= 0.5f;
        r -= stepR;
      } else {
        r += stepR;
      }
    }
    if (valid(best[0], best[1])) p[0] = best[0], p[1] = best[1];
  }
}

int32_t DashForm::StartOnBoss(float x, float y, float z, float w) {
  dashState = DASH_IDLE;
  stateCounter = 0;
  targetCount = 0;
  targetIndex = 0;
  anchor[0] = x, anchor[1] = y, anchor[2] = z, anchor[3] = w;
  boss_.Reset();
  HitBody* bossBody = nullptr;
  WalkEnemies([&](HitBody* b, EObjBase* e) {
    if (bossBody == nullptr && e->classKind == EObjBase::KIND_BOSS && e->GetState() == SProc::STATE_RUNNING)
      bossBody = b;
  });
  EObjBase* e = EnemyOf(bossBody);
  if (e == nullptr || e->grabMode == EObjBase::GRAB_DEFEATED || e->grabMode == EObjBase::GRAB_HELD) return 0;
  boss_.Set(e);
  e->SendEvent(EObjBase::EV_GRABBED, 0);
  float p[4] = {bossBody->position[0], bossBody->position[1], bossBody->position[2], 1.0f};
  if (p[2] != 0.0f && p[2] > -512.0f) {
    const float s = 512.0f / (p[2] + 512.0f);
    p[0] *= s;
    p[1] *= s;
  }
  p[2] = 0.0f;
  for (Slot& s : slots) {
    s = Slot{};
    s.marker = MARK_SHOWN;
    for (int k = 0; k < 4; ++k) s.position[k] = p[k];
    s.offset = RandFS();
  }
  variant = VARIANT_BOSS;
  targetCount = kSlots;
  slots[0].marker = MARK_CURRENT;
  dashState = DASH_OPENING;
  if (Game* g = Game::GetInstance()) g->PlaySe(kSoundOpen, 51712);
  return 1;
}

int32_t DashForm::Reset() {
  int32_t n = 0;
  WalkEnemies([&](HitBody* b, EObjBase*) {
    if (IsDashable(b, b->position)) ++n;
  });
  return n;
}

void DashForm::FindEnemy(int32_t index) {
  WalkEnemies([&](HitBody* b, EObjBase* e) {
    if (e->slot.index == index) e->SendEvent(EObjBase::EV_GRAB_FLASH, reinterpret_cast<SProcArg>(b->position));
  });
}

int32_t DashForm::LinkedCount(int32_t slot) const {
  int32_t n = 0;
  WalkEnemies([&](HitBody*, EObjBase* e) {
    if (e->slot.index == slot) ++n;
  });
  return n;
}

void DashForm::ReAimPoint(int32_t slot, const float* player, float* out) const {
  const float* s = slots[slot >= 0 && slot < kSlots ? slot : 0].position;
  const float radius = 200.0f + 50.0f * RandF();
  for (int32_t i = 0; i < 1000; ++i) {
    const float a = RandFS() * 6.2831855f;
    const float px = s[0] + radius * std::cos(a), py = s[1] + radius * std::sin(a);
    const float q[2] = {px, py};
    if (px > -220.0f && px <= 220.0f && py > -280.0f && py <= 300.0f && Distance2(q, player) >= 200.0f * 200.0f) {
      out[0] = s[0] + (radius + 200.0f) * std::cos(a);
      out[1] = s[1] + (radius + 200.0f) * std::sin(a);
      out[2] = out[3] = 0.0f;
      return;
    }
  }
  const float b = std::atan2(-s[1], -s[0]);
  out[0] = s[0] + radius * std::cos(b);
  out[1] = s[1] + radius * std::sin(b);
  out[2] = out[3] = 0.0f;
}

// ============================================================ markers

void DashForm::DrawMarker(int32_t i) {
  Slot& s = slots[i];
  const float k = static_cast<float>(s.counter);
  if (variant == VARIANT_BOSS) {
    // Rings of three sprites round the boss: they grow in over 15 frames,
    // pulse while the dash opens and fade over 30 frames once missed or
    // ended.
    if (s.marker == MARK_IDLE) return;
    float growth = std::fmin(1.0f, (k + 1.0f) / 15.0f), alpha = 0.6f;
    if (dashState == DASH_OPENING) growth *= 1.0f + 0.1f * std::sin(k / 15.0f * 6.2831855f);
    if (s.marker == MARK_MISSED || s.marker == MARK_ENDED) {
      const float fade = 1.0f - std::fmin(1.0f, k / 30.0f);
      growth *= 1.0f + (1.0f - fade);
      alpha *= fade;
    }
    PlayerFx::BossMarker(s.position, i, growth, alpha);
    return;
  }
  const float scale = kTierScale[s.tier >= 0 && s.tier <= 2 ? s.tier : 0];
  float colour[3] = {0.7f, 0.6f, 0.3f};
  float alpha = 0.35f, size = 0.0f;
  auto grow = [&] {
    const float u = (k + 1.0f) / 15.0f * kHalfPi;
    s.phase += 0.1f - 0.1f * std::sin(u);
    size = (1.0f - std::cos(u)) * scale;
  };
  switch (s.marker) {
    case MARK_SHOWN:
      grow();
      break;
    case MARK_ARMED:
      size = scale;
      if (i > 0 && slots[i - 1].marker == MARK_STRUCK && targetIndex == i) colour[0] = 1.0f, colour[1] = 0.3f;
      break;
    case MARK_CURRENT:
      colour[0] = 1.0f, colour[1] = 0.3f, colour[2] = 0.3f;
      if (dashState == DASH_OPENING)
        grow();
      else
        size = scale;
      break;
    case MARK_STRUCK:
      size = scale;
      alpha = 0.35f - 0.35f * std::sin(k / 42.0f * kHalfPi);
      break;
    case MARK_MISSED: {
      const float u = k / 30.0f * kHalfPi;
      size = scale - scale * std::sin(u);
      alpha = 0.35f - 0.35f * std::sin(u);
      s.phase += 0.5f * (1.0f - std::cos(u));
      break;
    }
    default:
      break;
  }
  s.phase += 0.003f;
  if (size > 0.0f) {
    const float c[4] = {colour[0], colour[1], colour[2], alpha};
    PlayerFx::DashMarker(s.position, c, 0.7f * size, s.phase,
                         0.7f * size * (0.7f + 0.075f * static_cast<float>(s.counter % 6)));
  }
}
