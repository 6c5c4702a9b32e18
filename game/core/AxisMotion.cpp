#include "game/core/AxisMotion.h"

#include "game/core/MotionParam.h"

void AxisMotion::Init() {
  for (uint32_t& m : mode) m = kIdle;
}

bool AxisMotion::SetAxis(const Block* b) {
  if (b == nullptr) return false;
  int axis;
  switch (b->mode & 0x700) {
    case kAxisX: axis = 0; break;
    case kAxisY: axis = 1; break;
    case kAxisHeading: axis = 2; break;
    default: return false;
  }
  mode[axis] = b->mode & ~0x700u;
  duration[axis] = static_cast<float>(b->duration);
  from[axis] = b->from;
  to[axis] = b->to;
  elapsed[axis] = 0.0f;
  return true;
}

void AxisMotion::Step(float* x, float* y, float* heading, const float* ownerPos) {
  Step(x, y, heading, ownerPos, StageFrameStep());
}

void AxisMotion::Step(float* x, float* y, float* heading, const float* ownerPos, float step) {
  float* target[3] = {x, y, heading};
  for (int a = 0; a < 3; ++a) {
    if (mode[a] == kIdle) continue;
    // A tween of duration 0 sits at its end value.
    const float u = duration[a] != 0.0f ? elapsed[a] / duration[a] : 1.0f;
    elapsed[a] += step;
    float* t = target[a];
    if (a == 2 && (mode[a] & kKeep) != 0 && t != nullptr && ownerPos != nullptr)
      *t = AimAtPlayer(ownerPos[0], ownerPos[1]);
    const float v = from[a] + (to[a] - from[a]) * u;
    if (t != nullptr) {
      if ((mode[a] & kRelative) != 0) {
        *t += v;
      } else if ((mode[a] & kAbsolute) != 0) {
        *t = v;
      }
    }
    if (elapsed[a] > duration[a]) {
      elapsed[a] = duration[a];
      if ((mode[a] & kKeep) == 0) mode[a] = kIdle;
    }
  }
}
