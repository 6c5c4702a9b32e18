#pragma once
// Movers with which enemies, bosses and their scripts move without per-frame
// arithmetic of their own. Angles are in turns. A parameter of -1000.0 keeps
// the current value.
//
// MotionParam: a heading-and-speed mover; heading, speed and depth each
// follow an easing curve over a phase of `duration` frames. Time advances by
// the stage world's frame step.
#include <cstdint>

inline constexpr float kMotionKeep = -1000.0f;

class MotionParam {
 public:
  // Curve selectors in the flags: speed in bits 0-3, angle in bits 8-11,
  // depth in bits 24-27; 1 linear, 2 smooth (half cosine), 4 slow start,
  // 8 fast start, 0xF zero, any other value the constant "from".
  static constexpr uint32_t kAimAtPlayer = 0x30000;  // either bit

  // The parameter block: duration, flags (bit pattern), angle base, from, to,
  // speed base, from, to, depth base, from, to.
  struct Block {
    float duration;
    uint32_t flags;
    float angleBase, angleFrom, angleTo;
    float speedBase, speedFrom, speedTo;
    float depthBase, depthFrom, depthTo;
  };

  // False for a null block; otherwise loads the phase (the aim bits make the
  // angle base the heading to PlayerPos plus the block's angle base).
  bool Setup(const Block* block);
  bool SetupValues(float duration, uint32_t flags, float angleBase, float angleFrom, float angleTo,
                   float speedBase, float speedFrom, float speedTo, float depthBase,
                   float depthFrom, float depthTo);
  // One frame at the stage world's frame step (see the overload).
  bool Update(float* position);
  // One frame of `step` frames: moves position x, y by the heading and speed
  // and sets z to the depth. True while the phase runs; on the frame that
  // ends it the bases take this frame's values and false is returned. A
  // phase of duration 0 runs at its end values.
  bool Update(float* position, float step);

  float* position = nullptr;
  float velocity[3] = {0.0f, 0.0f, 0.0f};  // last dx, dy and depth
  uint32_t spare = 0;
  float duration = 0.0f;
  uint32_t flags = 0;
  float angleBase = 0.0f, angleFrom = 0.0f, angleTo = 0.0f;
  float speedBase = 0.0f, speedFrom = 0.0f, speedTo = 0.0f;
  float depthBase = 0.0f, depthFrom = 0.0f, depthTo = 0.0f;
  float elapsed = 0.0f;
};

// The value of one curve selector (the nibble of the flags) at progress u.
float MotionCurve(uint32_t selector, float from, float to, float u);
// Heading from (x, y) to PlayerPos, in turns.
float AimAtPlayer(float x, float y);
// The stage world's frame step (1.0 when no stage world runs).
float StageFrameStep();
