#include "game/core/MotionParam.h"

#include <cmath>
#include <cstring>

#include "game/core/Easing.h"

float MotionCurve(uint32_t selector, float from, float to, float u) {
  switch (selector) {
    case 0x1: return from + (to - from) * u;
    case 0x2: return from + (to - from) * (1.0f - std::cos(u * kPi)) / 2.0f;
    case 0x4: return from + (to - from) * (1.0f - std::cos(u * kHalfPi));
    case 0x8: return from + (to - from) * std::sin(u * kHalfPi);
    case 0xF: return 0.0f;
    default: return from;
  }
}

bool MotionParam::Setup(const Block* b) {
  if (b == nullptr) return false;
  duration = b->duration;
  flags = b->flags;
  angleFrom = b->angleFrom;
  angleTo = b->angleTo;
  speedFrom = b->speedFrom;
  speedTo = b->speedTo;
  depthFrom = b->depthFrom;
  depthTo = b->depthTo;
  if ((flags & kAimAtPlayer) != 0) {
    const float x = position != nullptr ? position[0] : 0.0f;
    const float y = position != nullptr ? position[1] : 0.0f;
    angleBase = AimAtPlayer(x, y) + b->angleBase;
  } else if (b->angleBase != kMotionKeep) {
    angleBase = b->angleBase;
  }
  if (b->speedBase != kMotionKeep) speedBase = b->speedBase;
  if (b->depthBase != kMotionKeep) depthBase = b->depthBase;
  elapsed = 0.0f;
  return true;
}

bool MotionParam::SetupValues(float dur, uint32_t fl, float aBase, float aFrom, float aTo,
                              float sBase, float sFrom, float sTo, float dBase, float dFrom,
                              float dTo) {
  const Block b{dur, fl, aBase, aFrom, aTo, sBase, sFrom, sTo, dBase, dFrom, dTo};
  return Setup(&b);
}

bool MotionParam::Update(float* pos) { return Update(pos, StageFrameStep()); }

bool MotionParam::Update(float* pos, float step) {
  position = pos;
  const float u = duration != 0.0f ? elapsed / duration : 1.0f;
  const float angle = angleBase + MotionCurve((flags >> 8) & 0xF, angleFrom, angleTo, u);
  const float speed = speedBase + MotionCurve(flags & 0xF, speedFrom, speedTo, u);
  const float depth = depthBase + MotionCurve((flags >> 24) & 0xF, depthFrom, depthTo, u);
  const float dx = std::cos(angle * kTwoPi) * speed * step;
  const float dy = std::sin(angle * kTwoPi) * speed * step;
  velocity[0] = dx;
  velocity[1] = dy;
  velocity[2] = depth;
  if (pos != nullptr) {
    pos[0] += dx;
    pos[1] += dy;
    pos[2] = depth;
  }
  elapsed += step;
  if (!(elapsed > duration)) return true;
  angleBase = angle;
  speedBase = speed;
  depthBase = depth;
  elapsed = 0.0f;
  return false;
}
