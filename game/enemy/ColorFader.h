#pragma once
// A smoothing follower the boss scripts use for colours and positions: it
// eases a four-float value towards a goal and writes it each step into the
// place the script named. Each step the first three components move by
// rate x (goal - current); a rate of exactly 1.0 jumps at once. The fourth
// component is not eased: it changes only when the value is set or jumped.
class ColorFader {
 public:
  // Output = v; current = goal = v's four floats; rate 1.0.
  void Set(float* v);
  // Goal = v's four floats; a rate of exactly 1.0 puts the value on it.
  void SetTarget(const float* v, float rate);
  // One easing step, then the output's four floats = current (nothing is
  // written before Set named an output).
  void Step();

  float* output = nullptr;
  float current[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float goal[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float rate = 1.0f;
};
