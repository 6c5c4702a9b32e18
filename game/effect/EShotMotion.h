#pragma once
// A bullet path record: one stretch of an enemy bullet's motion. The stage
// script's bullet paths are chains of them; a shot points at its current
// record and follows `next` when the record's time is up.
#include <cstdint>

struct EShotMotion {
  int32_t duration = 0;  // frames
  // Speed easing 0xF, angle easing 0xF00, aim 0x30000, angle mode 0x300000,
  // absolute angle 0x400000, absolute speed 0x800000.
  uint32_t flags = 0;
  float angle = 0.0f;       // turns, absolute or relative by the flags
  float angleDelta = 0.0f;  // sweep over the record (turns)
  float speed = 0.0f;       // absolute or added by the flags
  float speedDelta = 0.0f;  // change of speed over the record
  const EShotMotion* next = nullptr;
};
