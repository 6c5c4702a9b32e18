#include "game/enemy/ScenePartsObject.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/EnemyType0.h"
#include "game/enemy/SpawnChild.h"
#include "game/tables/effect_tables.h"
#include "vrax/graphic/SGpMan.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;

// A half's four corners (u, v offsets from the part's centre), in strip
// order: top left, top right, bottom left, bottom right.
struct Corners {
  float c[4][2];
};

}  // namespace

ScenePartsObject::ScenePartsObject(const float* o, const SGpRect* p, float a, float s)
    : part(p), angle(a), scale(s) {
  for (int i = 0; i < 4; ++i) origin[i] = o[i];
}

ScenePartsObject* SpawnScenePartsObject(const float* position, const SGpRect* part, float angle, float scale) {
  return SpawnChild<ScenePartsObject>(GetGame(), GAME_LIST_STAGE, 0, position, part, angle, scale);
}

ScenePartsObject* SpawnScenePartsFromEnemy(EnemyType0* e) {
  const float angle = RandF();
  return SpawnScenePartsObject(e->GetPosition(), e->rect, angle, e->scale);
}

int32_t ScenePartsObject::User(int32_t code, SProcArg) {
  switch (code) {
    case kCodeInit:
      SetUp();
      break;
    case kCodeDraw:
      DrawHalves();
      break;
    case kCodeMain:
      if (timer.GetPhase() == 0) Frame();
      break;
    default:
      break;
  }
  return 0;
}

void ScenePartsObject::SetUp() {
  SetName("ScenePartsObject");
  if (part == nullptr) return;  // nothing to cut: nothing is drawn
  const SGpRect& r = *part;
  const float hu = (r.uTR - r.uTL) / 2.0f;
  const float hv = (r.vBL - r.vTL) / 2.0f;
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = hu * r.width - r.pivotX + origin[0];
  m.m[3][1] = hv * r.height - r.pivotY + origin[1];
  m.m[3][2] = origin[2];
  worldA.SetMatrix(m);
  worldB.SetMatrix(m);
  primA.AllocPrims(1);
  primB.AllocPrims(1);
  Corners a{{{-hu, -hv}, {hu, -hv}, {-hu, hv}, {hu, hv}}};
  Corners b = a;
  float c = std::cos(angle * kTwoPi), s = std::sin(angle * kTwoPi);
  if (c == 0.0f) {
    // A vertical cut: A is the left half, B the right.
    a.c[1][0] = a.c[3][0] = 0.0f;
    b.c[0][0] = b.c[2][0] = 0.0f;
  } else {
    if (c < 0.0f) c = -c, s = -s;
    const float t = s / c;
    const float k = t * hu;
    if (std::fabs(k) <= hv) {
      // The cut runs from (-hu, -k) to (hu, k) across the sides.
      a.c[2][1] = -k, a.c[3][1] = k;
      b.c[0][1] = -k, b.c[1][1] = k;
    } else {
      // Steeper: from (-m, -hv) to (m, hv) across the top and bottom.
      const float mm = hv / t;
      a.c[1][0] = -mm, a.c[3][0] = mm;
      b.c[0][0] = -mm, b.c[2][0] = mm;
    }
  }
  const float sw = r.width * scale, sh = r.height * scale;
  const float uc = hu + r.uTL, vc = hv + r.vTL;
  auto fill = [&](SGpObj_PrimQuadFill& q, const Corners& k) {
    q.Seek(0, 0);
    q.SetColour(0.5f, 0.0f, 0.0f, 1.0f);
    for (const auto& d : k.c) {
      q.SetPos(sw * d[0], sh * d[1], 0.0f);
      q.SetUV(uc + d[0], vc + d[1]);
      q.Next();
    }
  };
  fill(primA, a);
  fill(primB, b);
}

void ScenePartsObject::DrawHalves() {
  SGpMan* gp = GetGpMan();
  if (gp != nullptr) gp->SetDefaultKey(kDrawKey);
  if (part == nullptr) return;
  const int32_t key = gp != nullptr ? gp->GetDefaultKey() : kDrawKey;
  EnterPartTexture(part, key);
  worldA.Enter(key);
  primA.Enter(key);
  worldB.Enter(key);
  primB.Enter(key);
}

void ScenePartsObject::Frame() {
  const int32_t count = timer.GetCount();
  if (count >= kFrames) {
    Kill(0);
    return;
  }
  timer.Within(kFrames);
  const float r = timer.GetRatio();
  const float f = std::cos(r * kHalfPi);
  primA.Seek(0, 0);
  primA.SetColour((f + 1.0f) / 2.0f, 0.0f, 0.0f, f);
  primB.Seek(0, 0);
  primB.SetColour(f, 0.0f, 0.0f, f);
  const float d = count <= 10 ? 10.0f - (1.0f - std::cos(float(count) / 10.0f * kHalfPi)) * 9.75f : 0.5f;
  const float dx = d * std::cos(angle * kTwoPi), dy = d * std::sin(angle * kTwoPi);
  float* ta = worldA.GetMatrix().m[3];
  float* tb = worldB.GetMatrix().m[3];
  ta[0] += dx, ta[1] += dy + 0.5f;
  tb[0] += -dx, tb[1] += -dy + 0.5f;
  if (count >= 3 && count <= 25 && count % 4 == 0) {
    static constexpr float kFrom[4] = {0.0f, 0.5f, 0.0f, 0.0f};
    static constexpr float kTo[4] = {0.0f, 0.5f, 0.0f, 0.8f};
    EfxMan* efx = EfxMan::Instance();
    for (const float* t : {ta, tb}) {
      // Draws in this order: x offset, y offset, the sprite's angle.
      const float ox = 16.0f * RandFS();
      const float oy = 16.0f * RandFS();
      const float spin = RandF();
      const SVec4 at{t[0] + ox, t[1] + oy, t[2], 1.0f};
      if (efx != nullptr)
        efx->SpawnSprite(kSparkSheet, &at, SprEfx00_4KeysB, kFrom, kTo, 15, 15, spin, 0.5f, 0.5f, nullptr, nullptr,
                         0.9f, 1);
    }
  }
  timer.Tick();
}
