#pragma once
// The easing curves that bullets, the shot emitter and the laser select by a
// flag nibble: 1 linear t, 2 half cosine (1 - cos(pi t)) / 2, 4 ease-in
// 1 - cos(t pi/2), 8 ease-out sin(t pi/2). Angle selectors are the same
// values shifted up by 8 bits (0x100 .. 0x800).
#include <cmath>
#include <cstdint>

#include "game/core/Easing.h"

// e(t) for selector 1, 2, 4 or 8 into *e; false (and *e = 0) for any other.
inline bool ShotEase(uint32_t selector, float t, float* e) {
  switch (selector) {
    case 0x1: *e = t; return true;
    case 0x2: *e = (1.0f - std::cos(kPi * t)) / 2.0f; return true;
    case 0x4: *e = 1.0f - std::cos(t * kHalfPi); return true;
    case 0x8: *e = std::sin(t * kHalfPi); return true;
    default: *e = 0.0f; return false;
  }
}

// e(t), 0 for an unknown selector.
inline float ShotEaseOr0(uint32_t selector, float t) {
  float e;
  ShotEase(selector, t, &e);
  return e;
}

// Heading from (x, y) to the point (px, py), in turns; atan2(0, 0) gives 0.
inline float ShotAim(float x, float y, float px, float py) {
  return std::atan2(py - y, px - x) / kTwoPi;
}
