#include "game/effect/ExplosionBursts.h"

#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

// One member of the family (the values of its row).
struct Scheme {
  int32_t rings;
  float ringSpread, ringBase, ringScale;  // r = (spread u + base) x scale
  const SGpKeyList* const* sprite1Keys;
  float sprite1Colour[4];
  float sprite1Size;
  float sprite2Colour[4];
  float sprite2Size;
  float sparkMul, sparkAdd, sparkOuter;  // s = (mul u + add) x outer
  float flashColour[4];
  float flashSize;
  bool closingRing;
  float closing[4];
  float closingAlpha;
};

constexpr Scheme kSmall{3,  8.0f,  16.0f, 0.75f, &ExplRingKeysA, {0.1f, 1, 0.1f, 1}, 1.3125f, {0, 0.5f, 0, 1},
                        1.875f, 1.0f, 1.0f, 3.0f, {0.5f, 1, 0.25f, 0.75f}, 10.0f, false, {}, 0.0f};
constexpr Scheme kLarge{4,  12.0f, 20.0f, 1.5f, &ExplRingKeysA, {0.1f, 1, 0.1f, 1}, 2.625f, {0, 0.5f, 0, 1},
                        3.75f, 4.5f, 3.0f, 1.0f, {0.5f, 1, 0.25f, 0.75f}, 20.0f, false, {}, 0.0f};
constexpr Scheme kSmall2{3, 8.0f, 16.0f, 0.7f, &ExplRingKeysC, {1, 1, 1, 1}, 1.225f, {0, 0.1f, 0, 1}, 1.75f, 1.0f,
                         1.0f, 3.0f, {1, 0.95f, 0.75f, 0.75f}, 10.0f, true, {25.0f, 60.0f, 0.0f, 20.0f}, 0.75f};
constexpr Scheme kLarge2{4, 12.0f, 20.0f, 1.25f, &ExplRingKeysC, {1, 1, 1, 1}, 2.1875f, {0, 0.1f, 0, 1}, 3.125f,
                         3.75f, 3.0f, 1.0f, {1, 0.95f, 0.75f, 0.75f}, 20.0f, true, {31.25f, 150.0f, 0.0f, 50.0f}, 0.9f};

void Explode(const SVec4* pos, const Scheme& k) {
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  static constexpr SVec4 kSink{0, 0, -1.0f, 0}, kRise{0, 0.5f, -1.0f, 0}, kRise2{0, 2.0f, -1.0f, 0};
  static constexpr float kSparkFrom[4] = {0.9f, 0.9f, 0.9f, 0.9f};
  static constexpr float kSparkTo[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  float a = RandF();
  for (int32_t i = 0; i < k.rings; ++i) {
    const float r = (k.ringSpread * RandF() + k.ringBase) * k.ringScale;
    const SVec4 p{pos->x + std::cos(a * kTwoPi) * r, pos->y + std::sin(a * kTwoPi) * r, pos->z, pos->w};
    efx->SpawnSprite(6, &p, *k.sprite1Keys, k.sprite1Colour, k.sprite1Colour, 30, 30, RandF(), k.sprite1Size,
                     k.sprite1Size, &kSink, nullptr, 0.0f, 1);
    efx->SpawnSprite(17, &p, ExplRingKeysB, k.sprite2Colour, k.sprite2Colour, 30, 45, RandF(), k.sprite2Size,
                     k.sprite2Size, &kRise, &kRise2, 0.9f, 1);
    a += 0.3f;
  }
  for (int32_t i = 0; i < 5; ++i) {
    const float b = (RandF() - 0.5f + 1.0f) * 0.75f;
    const float s = (k.sparkMul * RandF() + k.sparkAdd) * k.sparkOuter;
    const SVec4 v{std::cos(b * kTwoPi) * s, std::sin(b * kTwoPi) * s, 0.0f, 0.0f};
    const SVec4 v1{v.x * 0.1f, v.y * 0.1f, 0.0f, 0.0f};
    efx->SpawnSprite(6, pos, ExplSparkKeys, kSparkFrom, kSparkTo, 60, 20, RandF(), 0.4f, 0.4f, &v1, &v, 0.93f, 1);
  }
  efx->SpawnSprite(6, pos, ExplFlashKeys, k.flashColour, k.flashColour, 4, 10, 0.0f, k.flashSize, k.flashSize,
                   nullptr, nullptr, 0.0f, 1);
  if (k.closingRing) {
    static constexpr float kFrom[4] = {1, 1, 0.95f, 0};
    const float to[4] = {1, 0.5f, 0, k.closingAlpha};
    SMatrix m = kIdentityMatrix;
    m.m[3][0] = pos->x, m.m[3][1] = pos->y, m.m[3][2] = pos->z;
    efx->SpawnC(0, 1, &m, k.closing[0], k.closing[1], k.closing[2], k.closing[3], kFrom, to, 25, nullptr);
  }
}

// Scale(sx, sy, 1) x rotation(first) x Rz(turns) with translation pos.
SMatrix RingMatrix(float sx, float sy, int axis, float turns, float zTurns, const SVec4* pos) {
  SMatrix m;
  SMatrix::Scaling(&m, sx, sy, 1.0f);
  SMatrix r = kIdentityMatrix;
  if (axis == 1) RotateY(&r, &r, turns);
  else RotateX(&r, &r, turns);
  SMatrix::Multiply(&m, &m, &r);
  SMatrix z = kIdentityMatrix;
  RotateZ(&z, &z, zTurns);
  SMatrix::Multiply(&m, &m, &z);
  m.m[3][0] = pos->x, m.m[3][1] = pos->y, m.m[3][2] = pos->z;
  return m;
}

}  // namespace

void SpawnExplosionSmall(const SVec4* pos) { Explode(pos, kSmall); }
void SpawnExplosionLarge(const SVec4* pos) { Explode(pos, kLarge); }
void SpawnExplosionSmall2(const SVec4* pos) { Explode(pos, kSmall2); }
void SpawnExplosionLarge2(const SVec4* pos) { Explode(pos, kLarge2); }

void SpawnExplosionBurst(const SVec4* pos) {
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  static constexpr float kWhite[4] = {1, 1, 1, 1};
  static constexpr float kGreen[4] = {0, 0.1f, 0, 1};
  static constexpr float kFlash[4] = {0.5f, 1, 0.25f, 1};
  static constexpr float kRingFrom[4] = {0, 1, 0, 0};
  static constexpr float kRingTo[4] = {0.5f, 1, 0, 0.75f};
  float a = RandF() - 0.5f;
  for (int32_t i = 0; i < 5; ++i) {
    const float s = RandF() * 0.5f + 1.0f;
    a += 0.2f;
    const int32_t n = static_cast<int32_t>(7.0f * RandF());
    efx->SpawnSprite(7, pos, EfxKeyListTable(n), kWhite, kWhite, 30, 30, a, s, s, nullptr, nullptr, 1.0f, 1);
  }
  for (int32_t i = 0; i < 5; ++i) {
    const float s = RandF() * 0.5f + 1.0f;
    const float d = 6.0f * RandF() + 2.0f;
    const float b = (RandF() - 0.5f) * 0.5f - 0.25f;
    const SVec4 v{std::cos(b * kTwoPi) * d, std::sin(b * kTwoPi) * d, 0.0f, 0.0f};
    const SVec4 v1{v.x * 0.1f, v.y * 0.1f, 0.0f, 0.0f};
    efx->SpawnSprite(7, pos, ExplRingKeysB, kGreen, kGreen, 30, 45, RandF(), s, s, &v1, &v, 0.8f, 1);
  }
  efx->SpawnSprite(6, pos, ExplFlashKeys, kFlash, kFlash, 4, 10, 0.0f, 12.0f, 12.0f, nullptr, nullptr, 0.0f, 1);
  const float r1 = (RandF() - 0.5f) * 0.05f;
  const float r2 = (RandF() - 0.5f) * 0.05f + 0.25f;
  const SMatrix m1 = RingMatrix(1.0f, 2.0f, 1, r2, r1, pos);
  efx->SpawnC(0, 1, &m1, 25.0f, 60.0f, 0.0f, 20.0f, kRingFrom, kRingTo, 25, nullptr);
  const float r3 = (RandF() - 0.5f) * 0.15f;
  const SMatrix m2 = RingMatrix(1.25f, 0.5f, 0, -0.1f, r3, pos);
  efx->SpawnC(0, 1, &m2, 25.0f, 60.0f, 0.0f, 20.0f, kRingFrom, kRingTo, 25, nullptr);
}
