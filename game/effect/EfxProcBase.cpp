// Effect processes A to F: large explosion, rising smoke, scattered smoke,
// the two directed jets and the shrinking flash; the jet itself, which the
// jet bursts share.
#include <cmath>
#include <cstring>

#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/EfxTables.h"
#include "vrax/graphic/SGpMan.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;

// The placement's rotation (translation cleared) and its translation row.
void SplitPlacement(const SMatrix* placement, SMatrix* orient, SVec4* pos) {
  *orient = *placement;
  std::memcpy(pos, placement->m[3], sizeof(SVec4));
  orient->m[3][0] = orient->m[3][1] = orient->m[3][2] = 0.0f;
}

SVec4 Transform(const SMatrix& m, float x, float y, float z) {
  const SVec3 v{x, y, z};
  SVec4 out;
  SVec3Transform(&out, &v, &m);
  return out;
}

EfxMan* Efx() { return EfxMan::Instance(); }

// 1 - cos(n / frames x pi/2). A run of 0 frames or less still has its one
// frame: counted as 1.
float QuarterEase(int32_t n, int32_t frames) {
  if (frames <= 0) frames = 1;
  return 1.0f - std::cos(static_cast<float>(n) / static_cast<float>(frames) * kHalfPi);
}

}  // namespace

// ============================================================ common frame

int32_t EfxProcBase::Init(SProcArg) {
  counter_ = 0;
  return 0;
}

float EfxProcBase::Ease(int32_t n) const { return QuarterEase(n, frames_); }

float EfxProcBase::Fade(int32_t n) const { return 1.0f - Ease(n) * 0.9f; }

// ============================================================ A

EfxProcA::EfxProcA(const SMatrix* placement) {
  SplitPlacement(placement, &orient_, &pos_);
  frames_ = 135;
}

int32_t EfxProcA::Main(SProcArg) {
  static constexpr float kGrey[3][4] = {{1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0.25f, 0.25f, 0.25f, 1}};
  static constexpr float kGreen[4] = {0, 0.5f, 0, 1};
  EfxMan* efx = Efx();
  const int32_t n = counter_;
  if (n == 0 && efx != nullptr) {
    for (int32_t i = 0; i < 384; ++i) {
      const float s = RandF() * 0.5f + 1.0f;
      const float d = RandF() * 18.0f + 2.0f;
      const float a = RandF();
      const float z = (RandF() + 1.0f) * -8.0f;
      const SVec4 v = Transform(orient_, std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, z);
      const SVec4 at{pos_.x + 3.0f * v.x, pos_.y + 3.0f * v.y, pos_.z + 3.0f * v.z, pos_.w};
      const SVec4 vel{0.25f * v.x, 0.25f * v.y + 0.5f, 0.0f, 0.0f};
      const float spin = RandF();
      const float* c = kGrey[i % 3];
      EfxSprite* e = efx->SpawnSprite(17, &at, (i % 2) ? EfxKeyList2 : EfxKeyList3, c, c, 30 + (i % 16), 30, spin,
                                      s, s, &vel, &v, 0.9f, 1);
      if (e != nullptr) e->SetAccel(0.0f, 0.0f, 0.05f);
    }
    for (int32_t i = 0; i < 128; ++i) {
      const float s = RandF() + 2.0f;
      const float d = RandF() * 17.0f + 1.0f;
      const float a = RandF();
      const float z = (RandF() + 1.0f) * -8.0f;
      const SVec4 v = Transform(orient_, std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, z);
      const SVec4 at{pos_.x + 2.0f * v.x, pos_.y + 2.0f * v.y, pos_.z + 2.0f * v.z, pos_.w};
      const SVec4 vel{0.25f * v.x, 0.25f * v.y + 0.5f, 0.25f * v.z, 0.0f};
      const float spin = RandF();
      efx->SpawnSprite(6, &at, EfxKeyList1, kGreen, kGreen, 90 + (i % 64), 30, spin, s, s, &vel, &v, 0.9f, 1);
    }
  }
  if (n == 15 && efx != nullptr) {
    for (int32_t i = 0; i < 128; ++i) {
      const float d = RandF() * 8.0f + 1.0f;
      const float a = RandF();
      const float z = (RandF() + 1.0f) * -8.0f;
      const SVec4 v = Transform(orient_, std::cos(kTwoPi * a) * d, std::sin(kTwoPi * a) * d, z);
      const SVec4 vel{0.1f * v.x, 0.1f * v.y, 0.0f, 0.0f};
      const float spin = RandF();
      efx->SpawnSprite(17, &pos_, EfxKeyList1, kGreen, kGreen, 60, 60, spin, 3.0f, 3.0f, &vel, &v, 0.95f, 0);
    }
  }
  if (n >= 15) {
    if (SGpMan* gp = GetGpMan(); gp != nullptr && gp->GetShakeLevel() < 2.25f) gp->SetShakeLevel(2.25f);
  }
  counter_ += 1;
  if (counter_ >= 135) Dispose();
  return 0;
}

// ============================================================ B, C, F

EfxProcPoint::EfxProcPoint(const SVec4* pos, float size, int32_t frames, int32_t sheet)
    : pos_(*pos), size_(size), sheet_(sheet) {
  frames_ = frames;
}

int32_t EfxProcB::Main(SProcArg) {
  static constexpr float kFrom[4] = {1, 1, 1, 0};
  static constexpr float kTo[4] = {1, 1, 1, 1};
  const int32_t n = counter_;
  EfxMan* efx = Efx();
  if (n % 2 == 0 && efx != nullptr) {
    const float s = (RandF() + 0.5f) * size_;
    const float spin = RandF();
    const float f = Fade(n);
    const SVec4 vel{(RandF() - 0.5f) * f, -1.0f * f, -2.0f * f, 0.0f};
    EfxSprite* e = efx->SpawnSprite(static_cast<uint32_t>(sheet_), &pos_, EfxKeyList4, kFrom, kTo, 20, 10, spin, s,
                                    s, &vel, nullptr, 0.0f, 1);
    if (e != nullptr) {
      e->SetAccel(0.0f, -0.2f, -0.3f);
      if (SGpSpriteCell* c = e->Sprite()) c->billboard = false;
    }
  }
  counter_ += 1;
  if (counter_ >= frames_) Dispose();  // deletes it: nothing of it is touched after this
  return 0;
}

int32_t EfxProcC::Main(SProcArg) {
  static constexpr float kFrom[4] = {0, 1, 0, 0};
  static constexpr float kTo[4] = {0, 1, 0, 1};
  const int32_t n = counter_;
  EfxMan* efx = Efx();
  if (n % 2 == 0 && efx != nullptr) {
    const float ox = (RandF() - 0.5f) * 8.0f;
    const float oy = (RandF() - 0.5f) * 8.0f - 8.0f;
    const SVec4 at{pos_.x + ox, pos_.y + oy, pos_.z, pos_.w};
    const float s = (RandF() * 0.75f + 1.0f) * size_;
    const float spin = RandF();
    const float x = RandF() - 0.5f;
    const float f = Fade(n);
    const SVec4 vel{x * f, -1.0f * f, -2.0f * f, 0.0f};
    EfxSprite* e = efx->SpawnSprite(static_cast<uint32_t>(sheet_), &at, EfxKeyList1, kFrom, kTo, 15, 20, spin, s, s,
                                    &vel, nullptr, 0.0f, 0);
    if (e != nullptr) {
      e->SetAccel(0.0f, -0.2f * f, -0.3f * f);
      if (SGpSpriteCell* c = e->Sprite()) c->billboard = false;
    }
  }
  counter_ += 1;
  if (counter_ >= frames_) Dispose();  // deletes it: nothing of it is touched after this
  return 0;
}

int32_t EfxProcF::Main(SProcArg) {
  static constexpr float kFrom[4] = {1, 1, 1, 0};
  static constexpr float kTo[4] = {1, 1, 1, 1};
  const int32_t n = counter_;
  if (EfxMan* efx = Efx()) {
    const float b = (RandF() * 0.5f + 1.0f) * size_;
    const float s = b + (0.05f - b) * Ease(n);
    const int32_t j = static_cast<int32_t>(RandF() * 7.0f);
    const float spin = RandF();
    efx->SpawnSprite(static_cast<uint32_t>(sheet_), &pos_, EfxKeyListTable(j), kFrom, kTo, 10, 10, spin, s, s,
                     nullptr, nullptr, 1.0f, 0);
  }
  counter_ += 1;
  if (counter_ >= frames_) Dispose();  // deletes it: nothing of it is touched after this
  return 0;
}

// ============================================================ D, E

EfxJet::EfxJet(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t frames,
               int32_t sheet, bool green)
    : spread0(spread0), spread1(spread1), damping(damping), size(size), frames(frames), sheet(sheet), green(green) {
  SplitPlacement(placement, &orient, &pos);
}

void EfxJet::Emit(int32_t n) const {
  static constexpr float kColours[2][2][4] = {{{1, 1, 1, 0}, {1, 1, 1, 1}}, {{0, 1, 0, 0}, {0, 1, 0, 1}}};
  const float lateral = green ? 0.2f : 0.3f;
  const float spin = RandF();
  const float w = spread0 + (spread1 - spread0) * QuarterEase(n, frames);
  const float x = RandF() - 0.5f;
  const float y = RandF() - 0.5f;
  const float z = RandF() * -4.0f - w;
  const SVec4 o = Transform(orient, y * w * lateral, x * w * lateral, z);
  const SVec4 vel{0.1f * o.x, 0.1f * o.y, 0.1f * o.z, 0.0f};
  if (EfxMan* efx = Efx())
    efx->SpawnSprite(static_cast<uint32_t>(sheet), &pos, green ? EfxKeyList1 : EfxKeyList5, kColours[green][0],
                     kColours[green][1], 20, 10, spin, size, size, &vel, &o, damping, 0);
}

EfxProcJet::EfxProcJet(const SMatrix* placement, float spread0, float spread1, float damping, float spriteSize,
                       int32_t frames, int32_t sheet, bool green)
    : jet_(placement, spread0, spread1, damping, spriteSize, frames, sheet, green) {
  frames_ = frames;
}

int32_t EfxProcJet::Main(SProcArg) {
  jet_.Emit(counter_);
  counter_ += 1;
  if (counter_ >= frames_) Dispose();  // deletes it: nothing of it is touched after this
  return 0;
}
