#include "game/player/EnemyScan.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyType0.h"
#include "game/enemy/ScenePartsObject.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/PShotMan.h"
#include "platform/crt_rand.h"

namespace {

std::vector<SVec4> g_bombPoints;

EObjBase* EnemyOf(const HitBody* b) { return b != nullptr ? dynamic_cast<EObjBase*>(b->owner) : nullptr; }

// Calls fn(body, enemy) for every enemy body of group 7, the successor
// taken before each call; fn returns false to end the walk.
template <class Fn>
void Walk(Fn&& fn) {
  bool go = true;
  HitGroupTable[kHitGroupEnemy].SafeWalk([&](SObject* o) {
    if (!go) return;
    auto* b = static_cast<HitBody*>(o);
    if (EObjBase* e = EnemyOf(b)) go = fn(b, e);
  });
}

void Bonus(int32_t kind, int32_t value) {
  if (Game* g = Game::GetInstance()) g->AddBonusScore(kind, value);
}

float Rand01() { return static_cast<float>(plat::Rand()) / 32767.0f; }

}  // namespace

bool EnemyScan::AnyKind2() {
  bool found = false;
  Walk([&](HitBody* b, EObjBase* e) {
    found = (b->mask & kHitDashable) != 0 && e->classKind == EObjBase::KIND_BOSS;
    return !found;
  });
  return found;
}

bool EnemyScan::BossRunning() {
  bool found = false;
  Walk([&](HitBody*, EObjBase* e) {
    found = e->classKind == EObjBase::KIND_BOSS && e->GetState() == SProc::STATE_RUNNING;
    return !found;
  });
  return found;
}

int32_t EnemyScan::CountLockable() {
  int32_t n = 0;
  Walk([&](HitBody* b, EObjBase*) {
    if (DashForm::IsLockable(b, b->position)) ++n;
    return true;
  });
  return n;
}

bool EnemyScan::LockableAt(int32_t n, float* out) {
  bool found = false;
  Walk([&](HitBody* b, EObjBase*) {
    if (!DashForm::IsLockable(b, b->position)) return true;
    if (n-- > 0) return true;
    out[0] = b->position[0];
    out[1] = b->position[1];
    out[2] = b->position[2];
    found = true;
    return false;
  });
  return found;
}

void EnemyScan::ReleaseContacts() {
  Walk([](HitBody* b, EObjBase* e) {
    e->grabCount = 0;
    e->SendEvent(EObjBase::EV_RECOIL, reinterpret_cast<SProcArg>(b->position));
    return true;
  });
}

void EnemyScan::BombBlast() {
  Walk([](HitBody* b, EObjBase* e) {
    if (b->disabled != 0 || e->GetState() != SProc::STATE_RUNNING || e->grabMode == EObjBase::GRAB_DEFEATED)
      return true;
    const bool boss = e->classKind == EObjBase::KIND_BOSS;
    e->SendEvent(kHitEventHit, kBombDamage);
    if ((b->mask & kHitDamageable) != 0 && e->hitPoints <= 0) {
      e->SendEvent(kHitEventDefeated, 0);
      Bonus(6, e->scoreValue);
    }
    return !boss;  // one boss per blast
  });
  g_bombPoints.clear();
  g_bombPoints.shrink_to_fit();
}

void EnemyScan::BombGrid() {
  g_bombPoints.clear();
  for (int32_t i = 0; i < kBombPoints; ++i) {
    const float r2 = Rand01();
    const float r1 = Rand01();
    const float x = static_cast<float>(i % 3) * 160.0f + 80.0f - 240.0f + (r1 - 0.5f) * 120.0f;
    const float y = std::floor(static_cast<float>(i) / 4.0f) * 160.0f + 80.0f - 320.0f + (r2 - 0.5f) * 120.0f;
    g_bombPoints.push_back(SVec4{x, y, 0.0f, 1.0f});
  }
  for (int32_t i = 0; i < kBombPoints; ++i) plat::Rand();
}

const std::vector<SVec4>& EnemyScan::BombPoints() { return g_bombPoints; }

void EnemyScan::DashPayoff(int32_t limit) {
  g_EShotMan.ClearAll(1);
  auto ordinary = [](const EObjBase* e) { return e->classKind != EObjBase::KIND_BOSS; };
  auto linked = [limit](const EObjBase* e) { return e->slot.index >= 0 && e->slot.index < limit; };
  Walk([&](HitBody*, EObjBase* e) {
    if (ordinary(e) && e->grabbed == 0 && e->grabMode == EObjBase::GRAB_HELD && linked(e)) g_ChainCounter.Add();
    return true;
  });
  g_ChainCounter.UpdateBest();
  Walk([&](HitBody*, EObjBase* e) {
    if (!ordinary(e)) return true;
    if (e->grabbed != 0 || (e->grabMode == EObjBase::GRAB_HELD && linked(e))) {
      // A sprite enemy struck in its slot leaves its sprite cut in two.
      if (e->grabbed == 0)
        if (auto* sprite = dynamic_cast<EnemyType0*>(e)) SpawnScenePartsFromEnemy(sprite);
      e->SendEvent(kHitEventDefeated, 0);
      Bonus(4, e->scoreValue);
    } else if (e->grabMode == EObjBase::GRAB_HELD) {
      e->SendEvent(EObjBase::EV_RELEASED, 0);
    }
    return true;
  });
}

void EnemyScan::ClearShots() { g_PShotMan.ReleaseAll(); }
