#include "game/effect/EThunderMan.h"

#include <cmath>

#include "game/core/Easing.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EObjBase.h"
#include "game/stage/MapMng.h"
#include "game/tables/image_slots.h"
#include "game/tables/shot_tables.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// Tips are released beyond the play area widened by their length, hit
// nodes beyond the area plus 30.
constexpr float kAreaX = 240.0f;
constexpr float kAreaY = 320.0f;
constexpr float kNodeX = 270.0f;
constexpr float kNodeY = 350.0f;

template <class T, class Fn>
void Walk(SObjList& list, Fn&& fn) {
  list.SafeWalk([&](SObject* o) { fn(static_cast<T*>(o)); });
}

}  // namespace

EThunderMan::~EThunderMan() { ClearAll(0); }

int32_t EThunderMan::Init(SProcArg) {
  SetName("EThunderMan");
  track_.Init(SprEShot02KeysB);
  serial_ = 0;
  strip_.AllocPrims(kTips);
  strip_.SetActiveCount(0);
  tipPool_.Init(kTips);
  nodePool_.Init(kNodes);
  boltPool_.Init(kBolts);
  SetInitResult(0);
  return 0;
}

void EThunderMan::Emit(const float* position, float width, float startAngle, float endAngle, float turnTime,
                       float speed, int32_t tips, int32_t tipPeriod) {
  EThunderBolt* b = boltPool_.Acquire();
  if (b == nullptr) return;
  bolts_.PushBack(b);
  b->serial = serial_++;
  for (int i = 0; i < 4; ++i) b->position[i] = position != nullptr ? position[i] : 0.0f;
  b->width = width;
  b->startAngle = startAngle;
  b->endAngle = endAngle;
  b->turnTime = turnTime;
  b->speed = speed;
  b->tips = tips;
  b->tipPeriod = tipPeriod;
  b->countdown = 0;
  b->index = 0;
}

EThunderTip* EThunderMan::CreateTip(int32_t serial, const float* position, int32_t link, float width,
                                    float startAngle, float endAngle, float turnTime, float speed,
                                    int32_t tipPeriod) {
  EThunderTip* t = tipPool_.Acquire();
  if (t == nullptr) return nullptr;
  tips_.PushBack(t);
  t->serial = serial;
  t->x = position[0];
  t->y = position[1];
  t->link = link;
  t->halfWidth = width / 2.0f;
  t->startAngle = startAngle;
  t->endAngle = endAngle;
  t->turnTime = turnTime;
  t->speed = speed;
  t->state = EThunderTip::FLYING;
  t->angle = startAngle;
  t->age = 0;
  t->length = static_cast<float>(tipPeriod) * speed;
  CreateNodes(t, width);
  return t;
}

void EThunderMan::CreateNodes(EThunderTip* t, float w) {
  const float len = t->length;
  // Without a width L / w would divide by zero, and a negative length would
  // give circles of negative radius: neither covers any line.
  if (!(w > 0.0f) || !(len >= 0.0f)) return;
  const float q = len / w;
  // More nodes than the pool holds could never be placed.
  const float cap = static_cast<float>(kNodes);
  int32_t n = static_cast<int32_t>(q < cap ? q : cap);
  const float rest = (len - static_cast<float>(n) * w) / 2.0f;
  struct Circle {
    float distance, radius;
  };
  auto add = [&](Circle c) {
    EThunderNode* node = nodePool_.Acquire();
    if (node == nullptr) return;
    nodes_.PushBack(node);
    node->tip.Set(t);
    node->distance = c.distance;
    const float a = t->angle * kTwoPi;
    node->position[0] = t->x + std::cos(a) * c.distance;
    node->position[1] = t->y + std::sin(a) * c.distance;
    node->position[2] = 0.0f;
    node->body.Register(kHitGroupHazard, 1, node->position, c.radius, this, reinterpret_cast<intptr_t>(t), 10);
  };
  if (n == 0) {
    add({len / 2.0f, len / 2.0f});
    return;
  }
  if (q > static_cast<float>(n) && n < kNodes) ++n;
  for (int32_t i = 1; i <= n; ++i) {
    const float base = static_cast<float>(i - 1) * w;
    if (i == n && rest != 0.0f) {
      add({base + rest, rest});
    } else {
      add({base + w / 2.0f, w / 2.0f});
    }
  }
}

void EThunderMan::ReleaseNodesOf(const EThunderTip* t) {
  Walk<EThunderNode>(nodes_, [t](EThunderNode* n) {
    if (n->tip.Names(t)) n->Release(1);
  });
}

void EThunderMan::ReleaseTip(EThunderTip* t) {
  // Its hit nodes see the tip gone and go in this frame's node step.
  t->Release(1);
}

const EThunderTip* EThunderMan::Partner(const EThunderTip* t) const {
  for (const SObject* o = t->GetPrev(); o != nullptr; o = o->GetPrev()) {
    const auto* p = static_cast<const EThunderTip*>(o);
    if (p->serial == t->serial) return p->link == EThunderTip::LINK_END ? nullptr : p;
  }
  return nullptr;
}

void EThunderMan::SpawnDissolve(const EThunderTip* t) {
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  const SVec4 pos{t->x, t->y, 0.0f, 0.0f};
  const float from[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float to[4] = {0.8f, 0.8f, 0.8f, 0.8f};
  efx->SpawnSprite(6, &pos, SprEShot02KeysC, from, to, 10, 6, 0.0f, 2.0f, 2.0f, nullptr, nullptr, 0.0f, 1);
}

void EThunderMan::ClearAll(uint8_t withEffect) {
  while (SObject* o = bolts_.HeadObj()) static_cast<EThunderBolt*>(o)->Release(1);
  while (SObject* o = tips_.HeadObj()) {
    auto* t = static_cast<EThunderTip*>(o);
    if (withEffect != 0) SpawnDissolve(t);
    t->Release(1);
  }
  while (SObject* o = nodes_.HeadObj()) static_cast<EThunderNode*>(o)->Release(1);
}

int32_t EThunderMan::OnUser(int32_t code, SProcArg arg) {
  if (code == kHitEventHit) {
    // The argument is a tip (the hit node's power word); only a live tip of
    // this manager is acted on.
    const int32_t i = tipPool_.IndexOf(reinterpret_cast<const void*>(arg));
    if (i < 0 || !tipPool_.InUse(i)) return 0;
    EThunderTip* t = tipPool_.At(i);
    for (SObject* o = t->GetPrev(); o != nullptr; o = o->GetPrev()) {
      auto* p = static_cast<EThunderTip*>(o);
      if (p->serial == t->serial) {
        p->link = EThunderTip::LINK_END;
        break;
      }
    }
    t->state = EThunderTip::HIT;
    ReleaseNodesOf(t);
  } else if (code == EObjBase::EV_GRABBED || code == EObjBase::EV_GRAB_ATTEMPT) {  // passed on by the owner
    ClearAll(1);
  }
  return 0;
}

int32_t EThunderMan::OnDispose(SProcArg) {
  ClearAll(1);
  return 0;
}

bool EThunderMan::StepBolt(EThunderBolt* b) {
  // Due only at 0: a tip period of 0 releases one tip and then no more (the
  // countdown runs on below 0), and the bolt stays until ClearAll.
  if (b->countdown == 0) {
    const int32_t link = b->index == 0 ? EThunderTip::LINK_FIRST
                                       : (b->index == b->tips - 1 ? EThunderTip::LINK_END : EThunderTip::LINK_MIDDLE);
    CreateTip(b->serial, b->position, link, b->width, b->startAngle, b->endAngle, b->turnTime, b->speed,
              b->tipPeriod);
    ++b->index;
    if (b->index >= b->tips) return false;
    b->countdown = b->tipPeriod;
  }
  --b->countdown;
  return true;
}

int32_t EThunderMan::End(SProcArg) {
  Walk<EThunderBolt>(bolts_, [this](EThunderBolt* b) {
    if (!StepBolt(b)) b->Release(1);
  });
  const float step = g_MapMng.enemyTimeScale;
  Walk<EThunderTip>(tips_, [this, step](EThunderTip* t) {
    if (t->state == EThunderTip::HIT) {
      SpawnDissolve(t);
      ReleaseTip(t);
      return;
    }
    // A turn time of 0 is over at once (age / 0 would be no number at age 0).
    float k = t->turnTime != 0.0f ? static_cast<float>(t->age) / t->turnTime : 1.0f;
    if (k > 1.0f) k = 1.0f;
    t->angle = t->startAngle + (t->endAngle - t->startAngle) * k;
    ++t->age;
    const float d = step * t->speed;
    const float a = t->angle * kTwoPi;
    t->x += std::cos(a) * d;
    t->y += std::sin(a) * d;
    const float l = t->length;
    if (t->x > kAreaX + l || t->x < -kAreaX - l || t->y > kAreaY + l || t->y < -kAreaY - l) ReleaseTip(t);
  });
  Walk<EThunderNode>(nodes_, [](EThunderNode* n) {
    const EThunderTip* t = n->tip.Get();
    // A node whose tip was released (it left the area) goes with it.
    if (t == nullptr) {
      n->Release(1);
      return;
    }
    const float a = t->angle * kTwoPi;
    n->position[0] = t->x + std::cos(a) * n->distance;
    n->position[1] = t->y + std::sin(a) * n->distance;
    const float x = n->position[0], y = n->position[1];
    if (y > kNodeY || y < -kNodeY || x > kNodeX || x < -kNodeX) n->Release(1);
  });
  track_.Advance(1.0f);
  return 0;
}

int32_t EThunderMan::Draw(SProcArg) {
  strip_.SeekVertex(0);
  const SGpRect* part = track_.GetPart();
  int32_t quads = 0;
  for (const SObject* o = tips_.HeadObj(); o != nullptr && quads < kTips; o = o->GetNext()) {
    const auto* t = static_cast<const EThunderTip*>(o);
    const float pa = (t->angle + 0.25f) * kTwoPi;
    const float px = std::cos(pa) * t->halfWidth, py = std::sin(pa) * t->halfWidth;
    float corners[4][2] = {{t->x + px, t->y + py}, {t->x - px, t->y - py}, {0, 0}, {0, 0}};
    if (const EThunderTip* p = Partner(t)) {
      const float qa = (p->angle + 0.25f) * kTwoPi;
      const float qx = std::cos(qa) * p->halfWidth, qy = std::sin(qa) * p->halfWidth;
      corners[2][0] = p->x + qx, corners[2][1] = p->y + qy;
      corners[3][0] = p->x - qx, corners[3][1] = p->y - qy;
    } else {
      const float a = t->angle * kTwoPi;
      const float fx = t->x + std::cos(a) * t->length, fy = t->y + std::sin(a) * t->length;
      corners[2][0] = fx + px, corners[2][1] = fy + py;
      corners[3][0] = fx - px, corners[3][1] = fy - py;
    }
    for (int i = 0; i < 4; ++i) {
      strip_.SetPos(corners[i][0], corners[i][1], 0.0f);
      strip_.SetColour(1.0f, 1.0f, 1.0f, 0.9f);
      const SGpUV uv = part != nullptr ? part->Corner(i) : SGpUV{};
      strip_.SetUV(uv.u, uv.v);
      strip_.Next();
    }
    ++quads;
  }
  strip_.SetActiveCount(quads);
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kDrawKey);
  // Lasers share the key and leave their own world transform behind: the
  // strip is in play coordinates.
  WorldPresets[1].Enter(kDrawKey);
  if (ImgEShot02 != nullptr) ImgEShot02->GetTexturePacket(0)->Enter(kDrawKey);
  strip_.Enter(kDrawKey);
  return 0;
}
