#include "game/effect/EfxBursts.h"

#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/EfxTables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

SVec4 At(const SVec4& p, float x, float y, float z) { return SVec4{p.x + x, p.y + y, p.z + z, p.w}; }

// The burst form of the directed jet: all its count steps at once.
void Jet(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t count,
         bool green) {
  const EfxJet jet(placement, spread0, spread1, damping, size, count, 17, green);
  for (int32_t k = 1; k <= count; ++k) jet.Emit(k);
}

void Flash(const SVec4* pos, float size, bool glow, float flashBase, const SGpKeyList* streakKeys) {
  static constexpr float kWhite[4] = {1, 1, 1, 1};
  static constexpr float kGreen[4] = {0, 1, 0, 1};
  EfxMan* efx = EfxMan::Instance();
  float a = RandF();
  for (int32_t j = 0; j < 5; ++j) {
    const float s = (RandF() * 0.5f + flashBase) * size;
    if (efx != nullptr)
      efx->SpawnSprite(17, pos, EfxKeyListTable(j), kWhite, nullptr, 10, 10, a, s, s, nullptr, nullptr, 1.0f,
                       j < 2 ? 0 : 1);
    a += 0.2f;
  }
  for (int32_t i = 0; i < 4; ++i) {
    const float s = (RandF() * 0.5f + 2.5f) * size;
    const float d = (RandF() + 1.0f) * 2.0f;
    const SVec4 v2{std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, -1.0f, 0.0f};
    const SVec4 vel{0.1f * v2.x, 0.1f * v2.y, -0.1f, 0.0f};
    const float spin = RandF();
    if (efx != nullptr)
      efx->SpawnSprite(17, pos, streakKeys, kGreen, nullptr, 30, 45, spin, s, s, &vel, &v2, 0.9f, 1);
    a += 0.25f;
  }
  if (glow) EfxGlowSpot(pos, 1.0f, 40);
}

}  // namespace

void EfxGlowSpot(const SVec4* pos, float size, int32_t lifeB) {
  static constexpr float kFrom[4] = {0.05f, 1, 0.1f, 0.05f};
  static constexpr float kTo[4] = {0.05f, 1, 0.1f, 0.2f};
  if (EfxMan* efx = EfxMan::Instance())
    efx->SpawnSprite(6, pos, EfxKeyList7, kFrom, kTo, 15, lifeB, 0.0f, 24.0f * size, 24.0f * size, nullptr, nullptr,
                     0.0f, 1);
}

void EfxDrawRing(const SVec4* pos, float size, bool glow) {
  static constexpr float kWhite[4] = {1, 1, 1, 1};
  static constexpr float kGreen[4] = {0, 1, 0, 1};
  static constexpr float kFlake[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  static constexpr float kFlakeTo[4] = {0.9f, 0.9f, 0.9f, 0.9f};
  static constexpr float kGlow[4] = {1, 0.95f, 0.75f, 0.5f};
  static constexpr float kGlowTo[4] = {1, 0.95f, 0.75f, 0.2f};
  static constexpr SVec4 kSink{0, 0, -1, 0}, kRise{0, 0.5f, -1, 0}, kRise2{0, 2, -1, 0};
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  float a = RandF();
  const float s1 = 1.75f * size, s2 = 2.5f * size;
  for (int i = 0; i < 3; ++i) {
    const float d = RandF() * 8.0f + 16.0f;
    const SVec4 p = At(*pos, std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, 0.0f);
    float spin = RandF();
    efx->SpawnSprite(6, &p, EfxKeyList8, kWhite, kWhite, 30, 30, spin, s1, s1, &kSink, nullptr, 0.0f, 1);
    spin = RandF();
    efx->SpawnSprite(17, &p, EfxKeyList1, kGreen, kGreen, 30, 45, spin, s2, s2, &kRise, &kRise2, 0.9f, 1);
    a += 0.3f;
  }
  for (int i = 0; i < 8; ++i) {
    const float b = ((RandF() - 0.5f) + 1.0f) * 0.75f;
    const float d = (RandF() + 1.0f) * 3.0f;
    const SVec4 v2{std::cos(kTwoPi * b) * d, std::sin(kTwoPi * b) * d, 0.0f, 0.0f};
    const SVec4 vel{0.1f * v2.x, 0.1f * v2.y, 0.0f, 0.0f};
    const float spin = RandF();
    efx->SpawnSprite(6, pos, EfxKeyList9, kFlake, kFlakeTo, 60, 20, spin, 0.4f, 0.4f, &vel, &v2, 0.93f, 1);
  }
  if (glow) efx->SpawnSprite(6, pos, EfxKeyList7, kGlow, kGlowTo, 15, 40, 0.0f, 24, 24, nullptr, nullptr, 0.0f, 1);
}

void EfxBurstA(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t count) {
  Jet(placement, spread0, spread1, damping, 2.0f * size, count, false);
}

void EfxBurstB(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t count) {
  Jet(placement, spread0, spread1, damping, 1.5f * size, count, true);
}

void EfxBurstE(const SVec4* pos, float size, bool glow) { Flash(pos, size, glow, 1.25f, EfxKeyList1); }

void EfxBurstF(const SVec4* pos, float size, bool glow) { Flash(pos, size, glow, 1.5f, EfxKeyList2); }
