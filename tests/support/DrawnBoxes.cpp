#include "support/DrawnBoxes.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxTables.h"
#include "game/enemy/BossPartsObject.h"
#include "game/player/Player.h"

namespace testsupport {

PixelBox DepthBox(float x0, float y0, float x1, float y1, float zA, float zB) {
  const float s[2] = {512.0f / (512.0f + zA), 512.0f / (512.0f + zB)};
  float qx0 = 1e9f, qy0 = 1e9f, qx1 = -1e9f, qy1 = -1e9f;
  for (float k : s)
    for (float x : {x0, x1})
      for (float y : {y0, y1}) {
        qx0 = std::min(qx0, x * k), qx1 = std::max(qx1, x * k);
        qy0 = std::min(qy0, y * k), qy1 = std::max(qy1, y * k);
      }
  return PlayBox(qx0, qy0, qx1, qy1);
}

PixelBox Union(const PixelBox& a, const PixelBox& b) {
  return PixelBox{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

float Reach(const SGpKeyList* keys) {
  float r = 0.0f;
  for (const SGpKeyList* k = keys; k->part != nullptr; ++k) {
    const SGpRect& p = *k->part;
    r = std::max(r, std::hypot(std::max(p.pivotX, p.width - p.pivotX), std::max(p.pivotY, p.height - p.pivotY)));
  }
  return r;
}

Extent Extents(const SGpKeyList* keys) {
  Extent e;
  for (const SGpKeyList* k = keys; k->part != nullptr; ++k) {
    const SGpRect& p = *k->part;
    e.left = std::max(e.left, p.pivotX), e.up = std::max(e.up, p.pivotY);
    e.right = std::max(e.right, p.width - p.pivotX), e.down = std::max(e.down, p.height - p.pivotY);
  }
  return e;
}

float Damped(float f, int n) {
  float s = 0.0f, v = 1.0f;
  for (int i = 0; i < n; ++i) s += (v *= f);
  return s;
}

PixelBox Clip(PixelBox box) {
  box.x0 = std::max(box.x0, 140), box.x1 = std::min(box.x1, 500);
  return box;
}

PixelBox Around(At a, At b, float r, float near) {
  return Clip(DepthBox(std::fmin(a.x, b.x) - r, std::fmin(a.y, b.y) - r, std::fmax(a.x, b.x) + r,
                       std::fmax(a.y, b.y) + r, 0.0f, -near));
}
PixelBox Around(At a, float r, float near) { return Around(a, a, r, near); }

float FlashReach() {
  float r = 0.0f;
  for (int j = 0; j < 5; ++j) r = std::fmax(r, Reach(EfxKeyListTable(j)));
  return 1.75f * r;
}
float StreakReach(int n) { return 3.0f * Reach(EfxKeyList2) + 0.4f * float(n) + 4.0f * Damped(0.9f, n); }
float StreakNear(int n) { return 0.1f * float(n) + Damped(0.9f, n); }
float GlowReach(float size) { return 24.0f * size * Reach(EfxKeyList7); }

namespace {
constexpr float kWhite[4] = {1, 1, 1, 1};
constexpr float kGreen[4] = {0, 1, 0, 1};
constexpr float kClearWhite[4] = {1, 1, 1, 0};
constexpr float kClearGreen[4] = {0, 1, 0, 0};
constexpr float kGlow[4] = {0.05f, 1, 0.1f, 0.05f};
}  // namespace

bool IsFlash(const EfxSprite& s) {
  for (int j = 0; j < 5; ++j)
    if (s.track.GetList() == EfxKeyListTable(j)) return SameColour(s.colour, kWhite);
  return false;
}
bool IsStreak(const EfxSprite& s) {
  return (s.track.GetList() == EfxKeyList1 || s.track.GetList() == EfxKeyList2) && SameColour(s.colour, kGreen);
}
bool IsGlowSpot(const EfxSprite& s) { return s.track.GetList() == EfxKeyList7 && SameColour(s.colour, kGlow); }
bool IsSmoke(const EfxSprite& s) { return s.track.GetList() == EfxKeyList4 && SameColour(s.colour, kClearWhite); }
bool IsWhiteJet(const EfxSprite& s) { return s.track.GetList() == EfxKeyList5 && SameColour(s.colour, kClearWhite); }
bool IsGreenJet(const EfxSprite& s) { return s.track.GetList() == EfxKeyList1 && SameColour(s.colour, kClearGreen); }

std::function<void()> Hide(bool (*which)(const EfxSprite&)) { return HideEfxSprites(which); }

DefeatShow::DefeatShow(int stage, float key, const char* name, int fight,
                       const std::function<void(DefeatShow&)>& defeat)
    : DefeatShow(stage, key, name, fight, std::function<void()>(), defeat) {}

DefeatShow::DefeatShow(int stage, float key, const char* name, int fight, const std::function<void()>& started,
                       const std::function<void(DefeatShow&)>& defeat)
    : f(stage, true) {
  skip->Join();
  if (started) started();
  boss = f.Start(key, key - 2.0f, name);
  if (boss == nullptr) return;
  f.Step(fight);
  if (defeat) {
    defeat(*this);
  } else {
    boss->hitPoints = 0;
    boss->SendEvent(kHitEventDefeated, 0);
  }
  for (int k = 0; k < 10 && companion == nullptr; ++k) {
    f.Step();
    for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
      if (auto* p = dynamic_cast<BossPartsObject*>(c)) companion = p;
  }
  skip->on = false;
}

bool DefeatShow::StillWhen(const std::function<bool()>& due) {
  f.W().G()->SetPause(false);
  skip->on = true;
  for (int k = 0; k < 2000 && !due(); ++k) f.Step();
  skip->on = false;
  // The ship's shield after a hit turns on its own clock, paused or not.
  g_Player.invulnerability = 0;
  f.W().G()->SetPause(true);
  f.Step();
  return due();
}

bool DefeatShow::StillAt(int count) {
  if (companion == nullptr) return false;
  return StillWhen([this, count] { return companion->timer.GetCount() >= count; }) &&
         companion->timer.GetCount() == count;
}

}  // namespace testsupport
