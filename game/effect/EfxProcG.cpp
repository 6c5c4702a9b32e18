#include "game/effect/EfxProcG.h"

#include <cmath>
#include <cstring>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr SVec4 kRise{0.0f, 0.5f, 0.0f, 0.0f};

SVec4 At(const SVec4& p, float x, float y, float z) { return SVec4{p.x + x, p.y + y, p.z + z, p.w}; }

// (x, y, z) turned by the orientation's rotation.
SVec4 Turn(const SMatrix& m, float x, float y, float z) {
  return SVec4{x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0], x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1],
               x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2], 0.0f};
}

EfxMan* Efx() { return EfxMan::Instance(); }

void PlaySound(int32_t n, int32_t factor) {
  if (Game* g = GetGame()) g->PlaySe(n, factor);
}

}  // namespace

EfxProcG::EfxProcG(const SVec4* pos, int32_t type, float scale, const SMatrix* orientation)
    : type_(type), scale_(scale), pos_(*pos), orient_(kIdentityMatrix), hasOrientation_(orientation != nullptr) {
  if (orientation != nullptr) orient_ = *orientation;
  orient_.m[3][0] = orient_.m[3][1] = orient_.m[3][2] = 0.0f;
}

// ============================================================ pieces

void EfxProcG::Puff(const SVec4& at, float spin, float size, const SVec4* velocity, const SVec4* velocity2) {
  if (EfxMan* efx = Efx()) efx->SpawnSpriteDir(8, &at, &EfxPuffDesc, spin, size, size, velocity, velocity2, 0.0f, 1);
}

void EfxProcG::Glow(const SVec4& at, float spin, float size, const SVec4* velocity, const SVec4* velocity2) {
  if (EfxMan* efx = Efx())
    efx->SpawnSpriteDir(17, &at, &EfxPuffGlowDesc, spin, size, size, velocity, velocity2, 0.0f, 1);
}

// The caller draws angle and distance by its own rule first.
void EfxProcG::Debris(float angle, float dist) {
  const float h = (RandF() - 0.5f) * 2.0f;
  const int32_t life = 60 + static_cast<int32_t>(RandF() * 20.0f);
  const SVec4 v{std::cos(kTwoPi * angle) * dist, std::sin(kTwoPi * angle) * dist, h, 0.0f};
  if (EfxMan* efx = Efx()) efx->SpawnB(4, &pos_, &v, life, 0.8f);
}

void EfxProcG::Sparks(int32_t count, float spread, float spreadBase, float sizeScale, float sizeBase) {
  Sparks(pos_, count, spread, spreadBase, scale_, sizeScale, sizeBase);
}

void EfxProcG::Sparks(const SVec4& at, int32_t count, float spread, float spreadBase, float distScale,
                      float sizeScale, float sizeBase) {
  static constexpr float kFrom[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  static constexpr float kTo[4] = {0.75f, 0.75f, 0.75f, 1.0f};
  for (int32_t i = 0; i < count; ++i) {
    const float d = (RandF() * spread + spreadBase) * distScale;
    const float a = RandF();
    const float depth = (RandF() - 0.5f) * 24.0f;
    const float size = RandF() * sizeScale + sizeBase;
    const float life = RandF();
    const float spin = RandF();
    const float c = std::cos(kTwoPi * a), s = std::sin(kTwoPi * a);
    const SVec4 v{0.5f * c, 0.5f * s + 0.25f, 0.0f, 0.0f};
    const SVec4 v2{c * d, s * d, depth, 0.0f};
    if (EfxMan* efx = Efx())
      efx->SpawnSprite(7, &at, EfxKeyList5, kFrom, kTo, 30 + static_cast<int32_t>(life * 45.0f), 30, spin, size,
                       size, &v, &v2, 0.9f, 1);
  }
}

void EfxProcG::Sibling(const SVec4& at, int32_t type, float scale) {
  if (SProc* parent = GetParent()) EfxProc::SpawnG(parent, &at, type, scale, nullptr);
}

// ============================================================ first burst

void EfxProcG::RingBurst() {
  static constexpr float kRing1[4] = {1, 1, 0.95f, 0.75f};
  static constexpr float kRing2[4] = {1, 0.5f, 0, 0.75f};
  static constexpr float kFlash1[4] = {1, 1, 0.95f, 0.9f};
  static constexpr float kFlash2[4] = {1, 0.5f, 0, 0};
  const float ay = (RandF() - 0.5f) * 0.2f;
  const float ax = (RandF() - 0.5f) * 0.2f;
  const float az = RandF();
  MatrixRotateYXZ(&orient_, &kIdentityMatrix, ax, ay, az);
  SMatrix m = orient_;
  std::memcpy(m.m[3], &pos_, 3 * sizeof(float));
  const float s = scale_;
  EfxMan* efx = Efx();
  if (efx != nullptr) efx->SpawnC(1, 1, &m, 0.0f, 512.0f * s, 0.0f, (s <= 1.0f ? 8.0f : 32.0f) * s, kRing1, kRing2, 40, nullptr);
  if (s > 1.0f) {
    if (efx != nullptr) efx->SpawnD(1, 0, &m, 512.0f * s, 768.0f * s, kFlash1, kFlash2, 40, nullptr);
    Sparks(16, 24.0f, 4.0f, 0.3f, 0.15f);
  }
  for (int i = 0; i < 24; ++i) {
    const float a = RandF();
    Debris(a, RandF() * 3.0f + 2.0f);
  }
  TravelDirection();  // drawn, not used by these types
}

void EfxProcG::TravelDirection() {
  const float a = (RandF() - 0.5f) * 0.25f - 0.25f;
  travel_[0] = 32.0f * std::cos(kTwoPi * a);
  travel_[1] = 32.0f * std::sin(kTwoPi * a);
}

void EfxProcG::FirstBurst(float spin) {
  const float s = scale_;
  auto debris = [this](int n) {
    for (int i = 0; i < n; ++i) {
      const float a = RandF();
      Debris(a, RandF() * 4.0f + 6.0f);
    }
  };
  switch (type_) {
    case 0: {
      constexpr float kPi = 3.1415927f;
      const float angles[5] = {-kPi / 2, -7 * kPi / 8, -kPi / 8, -11 * kPi / 16, -5 * kPi / 16};
      const float sizes[5] = {2.25f, 1.5f, 1.5f, 1.0f, 1.0f};
      const float vx[5] = {2, 2, 2, 4, 4}, vy[5] = {2, 8, 12, 8, 6};
      const SVec4 p = At(pos_, 0.0f, 32.0f * s, 0.0f);
      for (int k = 0; k < 5; ++k) {
        const SVec4 v2{vx[k] * s * std::cos(angles[k]), vy[k] * s * std::sin(angles[k]), 0.0f, 0.0f};
        Puff(p, spin, sizes[k] * s, &kRise, &v2);
        if (k < 3) {
          const float h = k == 2 ? 0.5f : 1.0f;
          const SVec4 g2{v2.x * h, v2.y * h, 0.0f, 0.0f};
          Glow(p, spin, sizes[k] * s, &kRise, &g2);
        }
      }
      debris(12);
      Sparks(8, 12.0f, 2.0f, 0.3f, 0.15f);
      break;
    }
    case 1: {
      const float a = RandF();
      const float c = std::cos(kTwoPi * a), sn = std::sin(kTwoPi * a);
      const SVec4 v2{s * c, s * sn, 0.0f, 0.0f};
      const SVec4 top = At(pos_, 0.0f, 16.0f * s, 0.0f);
      Puff(top, spin, 2.0f * s, &kRise, &v2);
      Glow(top, spin, 2.0f * s, &kRise, nullptr);
      float x = 2.0f * s * c, y = 2.0f * s * sn;
      for (int k = 0; k < 6; ++k) {
        const SVec4 p = At(pos_, x, y, 0.0f);
        const float f = static_cast<float>(2 * k + 4) * s;
        const SVec4 pv2{f * c, f * sn, 0.0f, 0.0f};
        const float size = 3.0f * s / static_cast<float>(k + 1);
        Puff(p, spin, size, &kRise, &pv2);
        if (k < 3) {
          const SVec4 g2{pv2.x * 0.5f, pv2.y * 0.5f, 0.0f, 0.0f};
          Glow(p, spin, size, &kRise, &g2);
        }
        x = 2.0f * x;
        y = 2.0f * (y + s);
      }
      for (int i = 0; i < 8; ++i) {
        const float b = a + (RandF() - 0.5f) * 0.3f;
        Debris(b, -(RandF() * 4.0f + 6.0f));
      }
      Sparks(8, 12.0f, 2.0f, 0.3f, 0.15f);
      break;
    }
    case 2:
    case 3:
    case 4: {
      const SVec4 p = At(pos_, 0.0f, 32.0f * s, 0.0f);
      Puff(p, spin, 2.0f * s, &kRise, nullptr);
      Glow(p, spin, 2.0f * s, nullptr, nullptr);
      TravelDirection();
      debris(12);
      Sparks(12, 12.0f, 2.0f, 0.3f, 0.15f);
      break;
    }
    case 5:
    case 6:
    case 7:
      RingBurst();
      break;
    default:
      break;
  }
}

int32_t EfxProcG::Init(SProcArg) {
  const float spin = RandF();
  if (type_ == 6 || type_ == 7) baseAngle_ = spin;
  FirstBurst(spin);
  return 0;
}

// ============================================================ schedule

int32_t EfxProcG::Main(SProcArg) {
  const float spin = RandF();
  counter_ += 1;
  const int32_t n = counter_;
  const float s = scale_;
  switch (type_) {
    case 2:
      if (n % 4 == 0) {
        const float x = RandFS() * 64.0f * s;
        const float y = RandFS() * 64.0f * s;
        const SVec4 p = At(pos_, x, y, 0.0f);
        Puff(p, spin, 1.5f * s, &kRise, nullptr);
        if (n % 8 == 0) Glow(p, spin, 1.5f * s, nullptr, nullptr);
      }
      if (n >= 32) Kill(0);
      break;
    case 3:
      if (n >= 40) {
        Puff(pos_, spin, 0.625f * s, &kRise, nullptr);
        Glow(pos_, spin, 0.625f * s, nullptr, nullptr);
        for (int i = 0; i < 8; ++i) {
          const float a = RandF();
          Debris(a, (RandF() + 1.0f) * 3.0f);
        }
        Sparks(6, 12.0f, 2.0f, 0.3f, 0.15f);
        Kill(0);
      } else if (n % 4 == 0) {
        const float size = (1.5f - static_cast<float>(steps_) * 0.125f) * s;
        Puff(pos_, spin, size, &kRise, nullptr);
        if (n % 8 == 0) Glow(pos_, spin, size, nullptr, nullptr);
        steps_ += 1;
        pos_.x += travel_[0] * s;
        pos_.y += travel_[1] * s;
        travel_[1] += 8.0f;
      }
      break;
    case 4:
      if (n % 4 == 0) {
        for (int i = 0; i < 3; ++i) {
          const float a = RandF();
          const float d = static_cast<float>(n) * 4.0f * s;
          const SVec4 p = At(pos_, std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, 0.0f);
          Puff(p, spin, 1.25f * s, &kRise, nullptr);
          if (i == 0) Glow(p, spin, 1.25f * s, nullptr, nullptr);
        }
      }
      if (n >= 32) Kill(0);
      break;
    case 5:
      if (n % 4 == 0) {
        for (int i = 0; i < 3; ++i) {
          const float a = RandF();
          const float c = std::cos(kTwoPi * a), sn = std::sin(kTwoPi * a);
          const float d = 8.0f * static_cast<float>(n) * s;
          const SVec4 o = Turn(orient_, d * c, d * sn, 0.0f);
          const SVec4 v2 = Turn(orient_, 4.0f * s * c, 4.0f * s * sn, 0.0f);
          const SVec4 p = At(pos_, o.x, o.y, o.z);
          Puff(p, spin, 1.25f * s, &kRise, &v2);
          if (i == 0) Glow(p, spin, 1.25f * s, nullptr, &v2);
        }
      }
      if (n >= (s <= 1.0f ? 32 : (s < 1.25f ? 40 : 64))) Kill(0);
      break;
    case 6:
    case 7: {
      const float swing = 0.75f * std::sin(static_cast<float>(n) * 0.06544985f);
      const float t = type_ == 6 ? baseAngle_ + swing : baseAngle_ - swing;
      const float c = std::cos(kTwoPi * t), sn = std::sin(kTwoPi * t);
      const SVec4 o = Turn(orient_, 64.0f * s * c, 64.0f * s * sn, 0.0f);
      const SVec4 v2 = Turn(orient_, 6.0f * s * c, 6.0f * s * sn, 0.0f);
      const SVec4 p = At(pos_, o.x, o.y, o.z);
      Puff(p, spin, 1.25f * s, &kRise, &v2);
      if (n % 2 == 0) Glow(p, spin, 1.25f * s, nullptr, &v2);
      if (s <= 1.0f) {
        if (n >= 24) {
          for (int i = 0; i < 8; ++i) {
            const float a = RandF();
            Debris(a, (RandF() + 1.0f) * 3.0f);
          }
          Sparks(6, 12.0f, 2.0f, 0.3f, 0.15f);
          Kill(0);
        }
      } else if (n >= (s < 1.25f ? 40 : 64)) {
        Kill(0);
      }
      break;
    }
    case 8:
      StepBoss(spin);
      break;
    default:
      break;  // types 0 and 1 idle until their creator ends
  }
  return 0;
}

// ============================================================ type 8

void EfxProcG::StepBoss(float spin) {
  static constexpr float kSmokeFrom[4] = {1, 0.75f, 0.5f, 0};
  static constexpr float kSmokeTo[4] = {1, 1, 0.95f, 0.75f};
  static constexpr float kFlameTo[4] = {1, 0.75f, 0.5f, 0.75f};
  const int32_t n = counter_;
  // The boss's position seen on the screen plane; depth held off the eye.
  float d = pos_.z + 512.0f;
  if (!(d >= 1.0f)) d = 1.0f;
  const SVec4 p{pos_.x * 512.0f / d, pos_.y * 512.0f / d, 0.0f, pos_.w};
  orient_.m[3][0] = p.x, orient_.m[3][1] = p.y, orient_.m[3][2] = 0.0f;
  const SVec4* anchor = reinterpret_cast<const SVec4*>(orient_.m[3]);
  EfxMan* efx = Efx();
  const int32_t m = n - 120;

  auto smoke = [&](float radiusScale, float depthScale) {
    const float a = RandF();
    const float radius = RandF() * radiusScale;
    const float depth = RandF() * depthScale;
    const SVec4 off{std::cos(kTwoPi * a) * radius, std::sin(kTwoPi * a) * radius, depth, 0.0f};
    const float size = RandF() * 0.5f + 0.3f;
    const SVec4 at = At(p, off.x, off.y, off.z);
    const SVec4 v2{off.x * (-1.0f / 64.0f), off.y * (-1.0f / 64.0f), off.z * (-1.0f / 64.0f), 0.0f};
    if (efx != nullptr)
      efx->SpawnSprite(6, &at, EfxKeyList6, kSmokeFrom, kSmokeTo, 30, 30, 0.0f, size, size, nullptr, &v2, 0.0f, 1);
  };
  auto flame = [&](float k) {
    const float a = RandF();
    const float radius = RandF() * k * 4.0f;
    const SVec4 at = At(p, std::cos(kTwoPi * a) * radius, std::sin(kTwoPi * a) * radius, 0.0f);
    if (efx != nullptr)
      efx->SpawnSprite(8, &at, EfxKeyList6, kSmokeFrom, kFlameTo, 15, 15, 0.0f, k, k, nullptr, nullptr, 0.0f, 1);
  };
  auto around = [&](float rx, float ry) {
    const float x = RandFS() * rx;
    const float y = RandFS() * ry;
    return At(p, x, y, 0.0f);
  };

  if (n == 96) {
    static constexpr float kTo[4] = {1, 0.75f, 0.5f, 0.95f};
    if (efx != nullptr)
      efx->SpawnSpriteEx(8, anchor, EfxKeyList6, kSmokeFrom, kTo, 120, 60, 0.0f, 48.0f, 48.0f, nullptr, nullptr, 0.0f,
                         1, this);
    return;
  }
  if (n < 120) {
    if (n % 4 == 0) {
      const int32_t c = static_cast<int32_t>(RandF() * 8.0f);
      const int32_t sound = c <= 3 ? 16 : (c <= 5 ? 14 : (c == 6 ? 15 : 25));
      PlaySound(sound, sound == 15 ? 57344 : 65536);
    }
    if (n % 2 == 0) {
      const float k = static_cast<float>(n) * 0.0075f + 0.1f;
      smoke(k * 128.0f, k * -256.0f);
    }
    if (n % 4 == 0) flame(static_cast<float>(n) * 0.06583333f + 0.1f);
    if (n % 8 == 0) {
      const float a = RandF();
      const float radius = RandF() * 128.0f + 32.0f;
      const SVec4 at = At(p, std::cos(kTwoPi * a) * radius, std::sin(kTwoPi * a) * radius, 0.0f);
      if (efx != nullptr)
        efx->SpawnSprite(6, &at, EfxKeyList6, kSmokeFrom, kFlameTo, 15, 15, spin, 24.0f, 24.0f, nullptr, nullptr,
                         0.0f, 1);
    }
    if (n % 11 == 0) Sibling(around(240.0f, 200.0f), 1, 1.0f);
    if (n % 27 == 13) Sibling(around(240.0f, 200.0f), 4, 1.15f);
    if (n % 27 == 0) Sibling(around(240.0f, 200.0f), 3, 1.0f);
    return;
  }
  if (m <= 100) {
    if (n % 2 == 0) smoke(128.0f, -256.0f);
    if (n % 4 == 0) flame(8.0f - (1.0f - std::cos(static_cast<float>(m) * 0.01308997f)) * 6.0f);
  }
  if (m <= 80 && m % 22 == 0) {
    const float a = RandF();
    const float r = RandF() * 80.0f + 60.0f;
    Sibling(At(p, std::cos(kTwoPi * a) * r, std::sin(kTwoPi * a) * r, 0.0f), 1, 1.0f);
  }
  if (m == 60 && efx != nullptr) {
    static constexpr float kRing[4] = {1, 0.95f, 0.85f, 1};
    static constexpr float kTo[4] = {1, 0.75f, 0.5f, 0.85f};
    efx->SpawnC2(1, 2, &orient_, 256.0f, 32.0f, 0.0f, -1024.0f, kRing, kRing, 60, nullptr, this);
    efx->SpawnC2(1, 2, &orient_, 384.0f, 1.0f, 0.0f, -64.0f, kRing, kRing, 60, nullptr, this);
    efx->SpawnSpriteEx(6, anchor, EfxKeyList6, kSmokeFrom, kTo, 40, 40, 0.0f, 96.0f, 96.0f, nullptr, nullptr, 0.0f, 1,
                       this);
  }
  if (m == 165 && efx != nullptr) {
    static constexpr float kTo[4] = {1, 0.95f, 0.9f, 1};
    efx->SpawnSpriteEx(6, anchor, EfxKeyList10, kSmokeFrom, kTo, 5, 10, 0.0f, 1280.0f, 1280.0f, nullptr, nullptr,
                       0.0f, 1, this);
  }
  if (m == 170) Finale();
}

void EfxProcG::Finale() {
  const SVec4 p{orient_.m[3][0], orient_.m[3][1], 0.0f, pos_.w};
  Sibling(p, 5, 1.0f);
  Sibling(p, 6, 1.25f);
  Sibling(p, 7, 1.25f);
  Sparks(p, 128, 24.0f, 4.0f, 1.5f, 0.25f, 0.05f);
  static constexpr float kRing1[4] = {1, 1, 0.95f, 0.75f};
  static constexpr float kRing2[4] = {1, 0.5f, 0, 0.75f};
  struct Ring {
    float radius, width, flash;
    float from[4], to[4];
  };
  static constexpr Ring kRings[4] = {
      {1024.0f, 256.0f, 512.0f, {1, 1, 0.95f, 1}, {1, 0.5f, 0, 0.75f}},
      {768.0f, 32.0f, 64.0f, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0.5f}},
      {768.0f, 64.0f, 64.0f, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0.25f}},
      {768.0f, 128.0f, 64.0f, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0}},
  };
  EfxMan* efx = Efx();
  for (int i = 0; i < 4; ++i) {
    SMatrix m = orient_;
    if (i == 0) {
      MatrixRotateZ(&m, RandF());
    } else {
      const float ay = (RandF() - 0.5f) * 0.15f;
      const float ax = (RandF() - 0.5f) * 0.15f;
      const float az = RandF();
      MatrixRotateYXZ(&m, &m, ax, ay, az);
    }
    m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = 0.0f;
    const Ring& r = kRings[i];
    if (efx != nullptr) {
      efx->SpawnC(1, 0, &m, 32.0f, r.radius, 0.0f, r.width, kRing1, kRing2, 100, nullptr);
      efx->SpawnD(1, 0, &m, r.flash, 1024.0f, r.from, r.to, 160, nullptr);
    }
  }
  Kill(0);
  steps_ += 1;
  counter_ = 0;
  PlaySound(23, 65536);
}
