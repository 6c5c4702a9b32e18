#pragma once
// An owner's live position (x, y, z, w) that a generator reads every time it
// fires, with the object that holds that memory: once the holder is gone the
// last position read is kept instead of reading freed memory.
#include "game/effect/EfxElements.h"

struct FollowedPosition {
  EfxFollow<float> follow;
  float last[4] = {0.0f, 0.0f, 0.0f, 0.0f};

  // The position is read once at once: a holder that is gone before the
  // first firing leaves its place, not the origin.
  void Set(const float* p, SObject* holder) {
    follow.Set(p, holder);
    if (p != nullptr)
      for (int i = 0; i < 4; ++i) last[i] = p[i];
  }
  const float* Read() {
    if (const float* p = follow.Get()) {
      for (int i = 0; i < 4; ++i) last[i] = p[i];
    }
    return last;
  }
};
