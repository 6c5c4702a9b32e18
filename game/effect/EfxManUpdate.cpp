// The effect manager's per-frame updaters: each walks its live list, taking
// the next element before it handles the current one, so an element may
// release itself during its own step.
#include <cmath>
#include <cstring>

#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"
#include "vrax/graphic/SGpRing.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kRadToTurn = 0.15915494f;

float EaseMode(int32_t mode, float a, float b, float t) {
  switch (mode) {
    case 1: return a + (b - a) * std::sin(kPi * t * 0.5f);
    case 2: return a + (b - a) * (1.0f - std::cos(kPi * t * 0.5f));
    default: return a + (b - a) * (1.0f - std::cos(kPi * t)) * 0.5f;
  }
}

void AddXYZ(SVec4* a, const SVec4& b) {
  a->x += b.x;
  a->y += b.y;
  a->z += b.z;
}

void AddTranslation(SMatrix* m, const SVec4& v) {
  m->m[3][0] += v.x;
  m->m[3][1] += v.y;
  m->m[3][2] += v.z;
}

template <class T, class Fn>
void Walk(const SObjList& list, Fn&& fn) {
  const_cast<SObjList&>(list).SafeWalk([&](SObject* o) { fn(static_cast<T*>(o)); });
}

float Age(int32_t age, int32_t life) { return static_cast<float>(age) / static_cast<float>(life); }

void BuildRoundPrimEx(SGpObj_Prim* prim, float r0, float r1, const float* c0, const float* c1,
                      const SGpRect* rect, int segments) {
  SGpUV corners[4];
  rect->GetCorners(corners);
  BuildRingTextured(prim, r0, r1, 0.0f, 0.0f, c0, c1, corners, segments);
}

}  // namespace

void EfxMan::UpdateSprites() {
  Walk<EfxSprite>(Live(1), [](EfxSprite* e) {
    SGpSpriteCell* s = e->sprite.Get();
    if (e->alive == 0 || s == nullptr) {
      e->Release(1);
      return;
    }
    e->track.Advance(1.0f);
    s->part = e->track.GetPart();
    const SVec4* anchor = e->anchor.Get();
    SVec4* motion = anchor != nullptr ? &e->offset : reinterpret_cast<SVec4*>(s->ownPos);
    if (e->flags & EfxSprite::kVelocity2) {
      if (e->flags & EfxSprite::kDamping) {
        e->velocity2.x *= e->damping;
        e->velocity2.y *= e->damping;
        e->velocity2.z *= e->damping;
      }
      AddXYZ(motion, e->velocity2);
    }
    if (e->flags & EfxSprite::kVelocity) {
      if (e->flags & EfxSprite::kAccel) AddXYZ(&e->velocity, e->accel);
      AddXYZ(motion, e->velocity);
    }
    if (anchor != nullptr) {
      s->ownPos[0] = anchor->x + e->offset.x;
      s->ownPos[1] = anchor->y + e->offset.y;
      s->ownPos[2] = anchor->z + e->offset.z;
    }
    if (e->lifeA > 0) {
      e->counter -= 1;
      if (e->flags & EfxSprite::kFade) {
        const float k = static_cast<float>(e->lifeA - e->counter) / static_cast<float>(e->lifeA);
        for (int i = 0; i < 4; ++i) s->colour[i] = e->colour[i] + (e->target[i] - e->colour[i]) * k;
      }
      if (e->counter <= 0) {
        e->lifeA = 0;
        e->counter = e->lifeB;
      }
    } else if (e->lifeB > 0) {
      e->counter -= 1;
      if (e->counter > 0) {
        const float k = static_cast<float>(e->lifeB - e->counter) / static_cast<float>(e->lifeB);
        s->colour[3] = e->fadeAlpha * (1.0f - k);
      } else {
        e->alive = 0;
      }
    } else if (e->track.GetWrapCount() > 0) {
      e->alive = 0;
    }
  });
}

void EfxMan::UpdateStreaks() {
  streakPrim_.SetActiveCount(0);
  streakPrim_.Seek(0, 0);
  Walk<EfxStreak>(Live(2), [this](EfxStreak* e) {
    if (e->age >= e->life) {
      e->Release(1);
      return;
    }
    const float t = Age(e->age, e->life);
    e->age += 1;
    const float a = t * 0.25f * kTwoPi;
    const float s = std::sin(a), c = std::cos(a);
    const float k = 1.0f - s;
    e->head.x += e->velocity.x * k;
    e->head.y += e->velocity.y * k;
    e->head.z += e->velocity.z * k;
    e->tail.x += (e->head.x - e->tail.x) * s;
    e->tail.y += (e->head.y - e->tail.y) * s;
    e->tail.z += (e->head.z - e->tail.z) * s;
    const float d = (std::atan2(e->velocity.y, e->velocity.x) * kRadToTurn - 0.25f) * kTwoPi;
    const float sx = std::cos(d) * e->width * 4.0f, sy = std::sin(d) * e->width * 4.0f;
    const int n = streakPrim_.GetActiveCount();
    if (n >= streakPrim_.GetPrimCapacity()) return;
    streakPrim_.SetActiveCount(n + 1);
    streakPrim_.Seek(n, 0);
    streakPrim_.SetColour(1.0f, 1.0f, 1.0f, c);
    const SGpRect* r = EfxStreakRect(e->kind);
    const SVec4* ends[2] = {&e->head, &e->tail};
    for (int i = 0; i < 4; ++i) {
      const SVec4& p = *ends[i / 2];
      const float sign = (i % 2 == 0) ? 1.0f : -1.0f;
      streakPrim_.SetPos(p.x + sx * sign, p.y + sy * sign, p.z);
      const SGpUV uv = r->Corner(i);
      streakPrim_.SetUV(uv.u, uv.v);
      streakPrim_.Next();
    }
  });
}

void EfxMan::StepRing(EfxRing* e, bool owned) {
  if (e->age >= e->life) {
    e->Release(1);
    return;
  }
  if (owned && LiveProc(e->owner) == nullptr) {
    e->Release(1);
    return;
  }
  const float t = Age(e->age, e->life);
  const float r = EaseMode(e->easing, e->r0, e->r1, t);
  const float w = e->w0 + (e->w1 - e->w0) * (1.0f - std::cos(kTwoPi * t)) * 0.5f;
  float c1[4], c2[4];
  std::memcpy(c1, e->colour1, sizeof c1);
  std::memcpy(c2, e->colour2, sizeof c2);
  if (t >= 0.5f && e->r1 != 0.0f) {
    c1[3] *= 1.0f - (t - 0.5f) * 2.0f;
    c2[3] *= 1.0f - (t - 0.5f) * 2.0f;
  } else if (t < 0.5f && e->r0 != 0.0f && t <= 0.25f) {
    c1[3] *= 4.0f * t;
    c2[3] *= 4.0f * t;
  }
  BuildRoundPrimEx(e->prim, r - w, r, c1, c2, EfxRingRect(e->rect), 24);
  SMatrix& world = e->world.GetMatrix();
  if (const SMatrix* m = e->follow.Get()) {
    if (!owned) AddXYZ(&e->offset, e->velocity);
    world = *m;
    AddTranslation(&world, e->offset);
  } else if (!owned) {
    AddTranslation(&world, e->velocity);
  }
  e->age += 1;
}

void EfxMan::UpdateRings() {
  Walk<EfxRing>(Live(3), [this](EfxRing* e) { StepRing(e, false); });
}

void EfxMan::UpdateOwnedRings() {
  Walk<EfxRing>(Live(4), [this](EfxRing* e) { StepRing(e, true); });
}

void EfxMan::UpdateDiscs() {
  Walk<EfxDisc>(Live(5), [](EfxDisc* e) {
    if (e->age >= e->life) {
      e->Release(1);
      return;
    }
    const float t = Age(e->age, e->life);
    const float r = EaseMode(e->easing, e->r0, e->r1, t);
    float c1[4], c2[4];
    std::memcpy(c1, e->colour1, sizeof c1);
    std::memcpy(c2, e->colour2, sizeof c2);
    if (t >= 0.5f) {
      const float k = std::cos((t - 0.5f) * kPi);
      c1[3] *= k;
      c2[3] *= k;
    } else if (e->r0 != 0.0f && t <= 0.25f) {
      const float k = std::sin(kTwoPi * t);
      c1[3] *= k;
      c2[3] *= k;
    }
    BuildRoundPrimEx(e->prim, 0.0f, r, c1, c2, EfxDiscRect(e->rect),
                     e->rect == 1 ? kDiscFineSegments : kDiscSegments);
    SMatrix& world = e->world.GetMatrix();
    if (const SMatrix* m = e->follow.Get()) {
      AddXYZ(&e->offset, e->velocity);
      if (e->positionOnly) {
        world = kIdentityMatrix;
        std::memcpy(world.m[3], m->m[3], sizeof world.m[3]);
      } else {
        world = *m;
      }
      AddTranslation(&world, e->offset);
    } else {
      AddTranslation(&world, e->velocity);
    }
    e->age += 1;
  });
}

namespace {

float Heading(const EfxRibbon::Point& to, const EfxRibbon::Point& from) {
  return std::atan2(to.y - from.y, to.x - from.x) * kRadToTurn;
}

}  // namespace

void EfxMan::UpdateRibbons() {
  Walk<EfxRibbon>(Live(6), [this](EfxRibbon* e) {
    const int n = static_cast<int>(e->points.size());
    if (n < 2) return;
    SGpObj_Prim* prim = e->prim;
    if (prim->GetPrimCapacity() < n - 1) prim->Alloc(n - 1, 4);
    prim->SetActiveCount(n - 1);
    // Edge points of every point first (each narrows once after use): A at
    // 4i, 4i + 1 and B at 4i + 2, 4i + 3 of the scratch array.
    if (ribbonEdges_.size() < static_cast<size_t>(n) * 4) ribbonEdges_.resize(static_cast<size_t>(n) * 4);
    float* ed = ribbonEdges_.data();
    for (int i = 0; i < n; ++i) {
      EfxRibbon::Point& p = e->points[static_cast<size_t>(i)];
      float edge;
      if (i == 0) {
        edge = Heading(p, e->points[1]) + 0.25f;
      } else if (i == n - 1) {
        edge = Heading(e->points[static_cast<size_t>(n - 2)], p) + 0.25f;
      } else {
        const float in = Heading(p, e->points[static_cast<size_t>(i - 1)]);
        const float out = Heading(e->points[static_cast<size_t>(i + 1)], p);
        float d = out - in;
        if (d >= 0.5f) d -= 1.0f;
        else if (d < -0.5f) d += 1.0f;
        edge = in - 0.25f + d * 0.5f;
      }
      const float cx = std::cos(edge * kTwoPi) * p.width, cy = std::sin(edge * kTwoPi) * p.width;
      ed[4 * i] = p.x + cx, ed[4 * i + 1] = p.y + cy;
      ed[4 * i + 2] = p.x - cx, ed[4 * i + 3] = p.y - cy;
      p.width *= e->decay;
    }
    for (int i = 0; i + 1 < n; ++i) {
      const EfxRibbon::Point& p = e->points[static_cast<size_t>(i)];
      const EfxRibbon::Point& q = e->points[static_cast<size_t>(i + 1)];
      const float farAlpha = (i + 1 == n - 1) ? 0.0f : e->alpha;
      prim->Seek(i, 0);
      const float* a = ed + 4 * i;  // A_i, B_i, then A_(i+1), B_(i+1)
      const float xs[4] = {a[0], a[2], a[4], a[6]};
      const float ys[4] = {a[1], a[3], a[5], a[7]};
      for (int k = 0; k < 4; ++k) {
        const EfxRibbon::Point& src = k < 2 ? p : q;
        prim->SetPos(xs[k], ys[k], src.z);
        const SGpUV uv = p.rect != nullptr ? p.rect->Corner(k) : SGpUV{};
        prim->SetUV(uv.u, uv.v);
        prim->SetColour(1.0f, 1.0f, 1.0f, k < 2 ? e->alpha : farAlpha);
        prim->Next();
      }
    }
  });
}

void EfxMan::UpdateTendrils() {
  Walk<EfxTendril>(Live(7), [](EfxTendril* e) {
    EfxRibbon* ribbon = e->ribbon.Get();
    if (e->age >= e->life || ribbon == nullptr) {
      e->Release(1);
      return;
    }
    const float t = Age(e->age, e->life);
    if (t >= 0.5f) ribbon->alpha = 1.0f - (t - 0.5f) * 2.0f;
    const float h = (e->step0 + (e->step1 - e->step0) * t) * 0.5f;
    const SVec4* target = e->target.Get();
    if (target == nullptr) target = &e->targetCopy;
    float d = std::atan2(target->y - e->position.y, target->x - e->position.x) * kRadToTurn - e->heading;
    if (d >= 0.5f) d -= 1.0f;
    else if (d < -0.5f) d += 1.0f;
    const float turn = ((RandF() - 0.5f) * (0.25f - 0.25f * t) + d * 0.33333334f) * 0.5f;
    for (int i = 0; i < 2; ++i) {
      e->heading += turn;
      e->position.x += std::cos(e->heading * kTwoPi) * h;
      e->position.y += std::sin(e->heading * kTwoPi) * h;
      ribbon->AddPoint(&e->position, e->width + (4.0f - e->width) * t,
                       EfxTendrilRect(static_cast<uint32_t>(e->row), ((e->phase % 8) + 8) % 8));
      e->phase -= 1;
    }
    e->age += 1;
  });
}

void EfxMan::UpdateGlows() {
  Walk<EfxGlow>(Live(9), [this](EfxGlow* e) {
    if (e->age >= e->life) {
      e->Release(1);
      return;
    }
    const SVec4* followed = e->follow.Get();
    const SVec4 at = followed != nullptr ? *followed : *reinterpret_cast<const SVec4*>(e->matrix.m[3]);
    if (e->age <= e->life - 15 && e->age % 2 == 0) {
      const float t = Age(e->age, e->life);
      const float k = (e->size * 1.5f - 6.0f) * std::sin(kPi * t * 0.5f) + 6.0f;
      const float a = RandF();
      const float dist = RandF() * k;
      const float dz = RandF() * k;
      const SVec4 off{std::cos(a * kTwoPi) * dist, std::sin(a * kTwoPi) * dist, -dz, 0.0f};
      const SVec4 pos{at.x + off.x, at.y + off.y, at.z + off.z, at.w};
      const SVec4 v2{off.x * -0.025f, off.y * -0.025f, off.z * -0.025f, 0.0f};
      const float scale = (RandF() + 1.0f) * k * 0.005f;
      static constexpr float kFrom[4] = {1, 1, 1, 0};
      static constexpr float kTo[4] = {1, 1, 1, 0.5f};
      SpawnSprite(6, &pos, EfxKeyList7, kFrom, kTo, 15, 5, 0.0f, scale, scale, nullptr, &v2, 0.0f, 1);
    }
    std::memcpy(e->matrix.m[3], &at, sizeof at);
    e->age += 1;
  });
}
