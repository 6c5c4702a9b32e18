#include "game/effect/EfxGen.h"

#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

enum Curve { kLinear, kCosine, kIn, kOut };

float Eased(Curve c, float a, float b, float u) {
  switch (c) {
    case kCosine: return a + (b - a) * (1.0f - std::cos(kPi * u)) * 0.5f;
    case kIn: return a + (b - a) * (1.0f - std::cos(kPi * u * 0.5f));
    case kOut: return a + (b - a) * std::sin(kPi * u * 0.5f);
    default: return a + (b - a) * u;
  }
}

// Speed: low nibble 2 cosine, 4 ease in, 8 ease out. Turn: 0x200, 0x400,
// 0x800 alike. Interval: 0x100000 in, 0x200000 out, 0x300000 cosine.
Curve SpeedCurve(uint32_t f) {
  switch (f & 0xF) {
    case 2: return kCosine;
    case 4: return kIn;
    case 8: return kOut;
    default: return kLinear;
  }
}
Curve TurnCurve(uint32_t f) { return SpeedCurve((f & 0xF00) >> 8); }
Curve IntervalCurve(uint32_t f) {
  switch (f & 0x300000) {
    case 0x100000: return kIn;
    case 0x200000: return kOut;
    case 0x300000: return kCosine;
    default: return kLinear;
  }
}

}  // namespace

EfxGen::EfxGen(uint32_t sheet, const SVec4* origin, uint32_t flags, const EfxSpriteDesc* look, float baseAngle,
               float turn0, float turn1, float speed0, float speed1, float damping, int32_t count, float spread,
               float scaleX, float scaleY, float interval0, float interval1, int32_t emissions, const SVec4* drift,
               int32_t delay, SObject* holder)
    : sheet_(sheet), flags_(flags), look_(look), baseAngle_(baseAngle), turn0_(turn0),
      turn1_(turn1), speed0_(speed0), speed1_(speed1), damping_(damping), count_(count), spread_(spread),
      scaleX_(scaleX), scaleY_(scaleY), interval0_(interval0), interval1_(interval1), emissions_(emissions),
      drift_(drift != nullptr ? *drift : SVec4{0.0f, 1.0f, 0.0f, 1.0f}), delay_(delay) {
  origin_.Set(origin != nullptr ? &origin->x : nullptr, holder);
}

const SVec4* EfxGen::Origin() { return reinterpret_cast<const SVec4*>(origin_.Read()); }

int32_t EfxGen::Init(SProcArg) {
  SetName("EfxGen");
  counter_ = 0;
  wait_ = 0;
  if (count_ == 0) count_ = 1;
  // The run's position divides by the emissions: 0 would make it infinite
  // and the first emission's speed and turn no numbers.
  if (emissions_ == 0) emissions_ = 1;
  // A full-circle fan would put its last particle on its first.
  if (!(flags_ & kSpray) && spread_ >= 1.0f) spread_ = 1.0f - 1.0f / static_cast<float>(count_);
  return 0;
}

int32_t EfxGen::Main(SProcArg) {
  if (delay_ > 0) {
    --delay_;
    return 0;
  }
  if (--wait_ > 0) return 0;
  do {
    if (counter_ == 0) {
      direction_ = baseAngle_;
      if ((flags_ & 0x30000) == kAimFirst) direction_ += AngleToPlayer(Origin()->x, Origin()->y);
      counter_ = 1;
    }
    const float u = static_cast<float>(counter_) / static_cast<float>(emissions_);
    const float speed = Eased(SpeedCurve(flags_), speed0_, speed1_, u);
    direction_ += Eased(TurnCurve(flags_), turn0_, turn1_, u);
    float dir = direction_;
    if (flags_ & kAimEvery) dir += AngleToPlayer(Origin()->x, Origin()->y);
    Emit(dir, speed);
    counter_ += 1;
    if (counter_ > emissions_) {
      Kill(0);
      return 0;
    }
    wait_ = static_cast<int32_t>(Eased(IntervalCurve(flags_), interval0_, interval1_, u));
  } while (wait_ == 0);
  return 0;
}

void EfxGen::Emit(float direction, float speed) {
  EfxMan* efx = EfxMan::Instance();
  const float step = count_ > 1 ? spread_ / static_cast<float>(count_ - 1) : 0.0f;
  for (int32_t i = 0; i < count_; ++i) {
    float a;
    if (flags_ & kSpray) {
      a = (RandF() - 0.5f) * spread_ + direction;
    } else {
      a = count_ > 1 ? direction - spread_ * 0.5f + step * static_cast<float>(i) : direction;
    }
    const float z = (flags_ & kRandomZ) ? (RandF() - 0.5f) * 2.0f * speed : 0.0f;
    const float angle = (flags_ & kRandomAngle) ? RandF() : a;
    const SVec4 v2{std::cos(a * kTwoPi) * speed, std::sin(a * kTwoPi) * speed, z, 0.0f};
    if (efx != nullptr)
      efx->SpawnSpriteDir(sheet_, Origin(), look_, angle, scaleX_, scaleY_, &drift_, &v2, damping_, 1);
  }
}
