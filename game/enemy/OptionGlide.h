#pragma once
// The glide both boss satellites share: a current position easing towards
// a goal, set directly or around the anchor (the boss's live position).
// Each step current x, y, z += (goal - current) x rate; a rate of exactly
// 1.0 puts the satellite on its goal when the goal is set.
#include <cmath>

struct OptionGlide {
  // anchor: the four floats the polar goals are taken around.
  void Start(const float* a) {
    anchor = a;
    for (int i = 0; i < 4; ++i) current[i] = goal[i] = a[i];
    rate = 1.0f;
  }
  void SetTarget(const float* v, float r) {
    for (int i = 0; i < 4; ++i) goal[i] = v[i];
    SetRate(r);
  }
  // Goal = anchor + radius x (cos, sin)(angle turns), at the anchor's depth
  // plus dz; the goal's w stays.
  void SetPolarTarget(float angle, float radius, float dz, float r) {
    const float a = angle * 6.2831855f;
    goal[0] = anchor[0] + radius * std::cos(a);
    goal[1] = anchor[1] + radius * std::sin(a);
    goal[2] = anchor[2] + dz;
    SetRate(r);
  }
  void Step() {
    for (int i = 0; i < 3; ++i) current[i] += (goal[i] - current[i]) * rate;
  }

  const float* anchor = nullptr;
  float current[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float goal[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float rate = 1.0f;

 private:
  void SetRate(float r) {
    rate = r;
    if (r == 1.0f)
      for (int i = 0; i < 4; ++i) current[i] = goal[i];
  }
};
