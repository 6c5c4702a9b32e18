#include "game/player/HitMan.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/RandF.h"
#include "game/enemy/EObjBase.h"
#include "game/player/ChainCounter.h"
#include "game/player/EnemyScan.h"
#include "game/player/Player.h"

namespace {

constexpr float kEyeDistance = 512.0f;

// The kernel's send convention: current process and event code are set to
// the receiver and the code for the call and restored after it.
void Send(SProc* to, int32_t code, SProcArg arg) {
  if (to != nullptr) to->SendEvent(code, arg);
}

SProcArg BodyArg(HitBody* b) { return reinterpret_cast<SProcArg>(b); }

bool Running(const SProc* p) { return p != nullptr && p->GetState() == SProc::STATE_RUNNING; }

// A body's x, y and radius as seen from the eye; false for a body at or
// behind the eye, which cannot touch anything.
struct Circle {
  float x, y, r;
};
inline bool Project(const HitBody* b, Circle* c) {
  const float* p = b->position;
  c->x = p[0];
  c->y = p[1];
  c->r = b->radius;
  const float z = p[2];
  if (z != 0.0f) {
    if (!(z > -kEyeDistance)) return false;
    const float s = kEyeDistance / (z + kEyeDistance);
    c->x *= s;
    c->y *= s;
    c->r *= s;
  }
  return true;
}

EObjBase* EnemyOf(const HitBody* b) {
  return b->owner != nullptr ? dynamic_cast<EObjBase*>(b->owner) : nullptr;
}

int32_t GameFrame() {
  Game* g = Game::GetInstance();
  return g != nullptr ? g->frameCounter : 0;
}

}  // namespace

HitMan::HitMan() : player_(&g_Player) {}

HitMan::~HitMan() = default;

int32_t HitMan::Init(SProcArg /*arg*/) {
  SetName("HitMan");
  debugDraw_ = 0;
  SetInitResult(0);
  return 0;
}

int32_t HitMan::Begin(SProcArg /*arg*/) {
  TestGroups();
  return 0;
}

int32_t HitMan::OnDispose(SProcArg /*arg*/) { return 0; }

void HitMan::TestGroups() {
  for (const auto& pair : kPairs) TestGroupPair(pair[0], pair[1]);
}

void HitMan::TestGroupPair(int32_t a, int32_t b) {
  if (a < 0 || a >= kHitGroupCount || b < 0 || b >= kHitGroupCount) return;
  HitGroupList* listB = &HitGroupTable[b];
  if (listB->Empty()) return;
  // Each body's successor is taken after its test, so a body that a handler
  // links in behind it meanwhile is tested in this pass too; a body unlinked
  // meanwhile leaves the walk where its successor stood.
  HitGroupTable[a].SafeWalkNextAfter([this, listB](SObject* o) {
    auto* body = static_cast<HitBody*>(o);
    if (body->disabled == 0) TestObject(body, listB);
  });
}

void HitMan::TestObject(HitBody* a, HitGroupList* listB) {
  Circle ca;
  if (!Project(a, &ca)) return;
  bool stop = false;
  listB->SafeWalk([&](SObject* o) {
    if (stop) return;
    auto* b = static_cast<HitBody*>(o);
    if (b->disabled != 0) return;
    Circle cb;
    if (!Project(b, &cb)) return;
    const float r = ca.r + cb.r;
    const float dy = ca.y - cb.y;
    if (std::fabs(dy) > r) return;
    const float dx = ca.x - cb.x;
    if (std::fabs(dx) > r) return;
    if (dx * dx + dy * dy <= r * r) {
      OnHit(a, b);
      if (a->disabled != 0) stop = true;
    }
  });
}

void HitMan::OnHit(HitBody* a, HitBody* b) {
  SProc* ao = a->owner;
  if (!Running(ao)) return;
  a->lastPartner = b;
  Player* pl = player_;
  switch (a->group) {
    case kHitGroupPlayerCore:
      if (pl != nullptr &&
          (pl->controlMode == Player::CONTROL_NORMAL || pl->controlMode == Player::CONTROL_LOCKON))
        Send(ao, kHitEventHit, BodyArg(b));
      if (b->group == kHitGroupHazard) {
        Send(b->owner, kHitEventHit, b->power);
      } else if ((b->mask & kHitSilent) == 0 && b->owner != nullptr) {
        Send(b->owner, kHitEventHit, BodyArg(b));
      }
      break;
    case kHitGroupPlayerBody:
      if ((b->mask & kHitHurtsPlayer) != 0) Send(ao, kHitEventHit, BodyArg(b));
      break;
    case kHitGroupOuter:
      if ((b->mask & kHitHurtsPlayer) != 0) {
        if (pl != nullptr) pl->OnOuterContact(b);
        g_ChainCounter.AddContactTally((b->mask & kHitSilent) != 0 ? 4 : 1);
      } else {
        g_ChainCounter.AddContactTally(4);
      }
      [[fallthrough]];
    case kHitGroupWide:
      if ((b->mask & (kHitHurtsPlayer | kHitDamageable)) != 0 && Running(b->owner))
        Send(b->owner, kHitEventHit, b->power);
      break;
    case kHitGroupEnemy:  // attacked by B
      if (IsValidTarget(b, a)) HitEnemy(b, a);
      break;
    default:
      break;
  }
}

bool HitMan::IsValidTarget(HitBody* attacker, HitBody* enemyBody) {
  const EObjBase* e = EnemyOf(enemyBody);
  if (e == nullptr) return false;
  if (e->grabMode == EObjBase::GRAB_DEFEATED) return false;
  if (e->lastAttacker.Names(attacker) && e->lastHitFrame == GameFrame()) return false;
  if (e->grabbed != 0) return false;
  if (attacker->group == kHitGroupOuter) return player_ != nullptr && player_->outerContactSerial != e->grabCount;
  return true;
}

void HitMan::HitEnemy(HitBody* attacker, HitBody* enemyBody) {
  EObjBase* e = EnemyOf(enemyBody);
  if (e == nullptr || e->grabbed != 0) return;
  Player* pl = player_;
  const bool dashing = pl != nullptr && pl->controlMode == Player::CONTROL_DASH;
  if (attacker->group == kHitGroupOuter && !dashing && (enemyBody->mask & kHitOuterReact) != 0 &&
      !EnemyScan::AnyKind2()) {
    Send(pl, Player::kEventLockHit, BodyArg(enemyBody));
    return;
  }
  if ((enemyBody->mask & kHitImmune) != 0) return;
  e->lastAttacker.Set(attacker);
  e->lastHitFrame = GameFrame();
  // What the attacker's touch does to the enemy.
  constexpr uint32_t kDamages = 0x1, kDefeats = 0x2, kAnswersAttacker = 0x10;
  uint32_t k = 0;
  Game* g = Game::GetInstance();
  if (attacker->group == kHitGroupShot) {
    k = kDamages | kDefeats | kAnswersAttacker;
    if (g != nullptr) g->PlaySe(kSoundShotHit, kSoundShotHitFactor);
  } else if (attacker->group == kHitGroupOuter) {
    k = kDamages | kDefeats;
    if (pl != nullptr) {
      pl->ArmCounter();
      e->grabCount = pl->outerContactSerial;
    }
    Send(e, EObjBase::EV_RECOIL, reinterpret_cast<SProcArg>(enemyBody->position));
    const int32_t n = RandFS() <= 0.0f ? kSoundOuterHitB : kSoundOuterHitA;
    if (g != nullptr) g->PlaySe(n, kSoundOuterHitFactor);
  }
  if (!dashing && (enemyBody->mask & kHitDamageable) != 0 && (k & kDamages) != 0)
    Send(e, kHitEventHit, attacker->power);
  if (e->hitPoints <= 0 && (enemyBody->mask & kHitDamageable) != 0 && (k & kDefeats) != 0) {
    Send(e, kHitEventDefeated, BodyArg(enemyBody));
    if (g != nullptr) g->AddBonusScore(attacker->group == kHitGroupShot ? 1 : 3, e->scoreValue);
  }
  if ((k & kAnswersAttacker) != 0 && Running(e)) Send(attacker->owner, kHitEventHit, BodyArg(attacker));
}
