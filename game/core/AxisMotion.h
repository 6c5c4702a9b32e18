#pragma once
// Three independent per-axis tweens (x, y and a heading) that write into the
// owner's values, advancing by the stage world's frame step.
#include <cstdint>

class AxisMotion {
 public:
  static constexpr uint32_t kIdle = 15;
  static constexpr uint32_t kRelative = 0x10000000;  // target += tweened value
  static constexpr uint32_t kAbsolute = 0x20000000;  // target = tweened value
  static constexpr uint32_t kKeep = 0x40000;  // stays active at u = 1; heading aims at the player
  static constexpr uint32_t kAxisX = 0x100, kAxisY = 0x200, kAxisHeading = 0x400;

  // {a word that is not read, mode word with one axis bit, duration in
  // frames, from, to}.
  struct Block {
    uint32_t unused;
    uint32_t mode;
    int32_t duration;
    float from;
    float to;
  };

  // All three axes idle.
  void Init();
  // Loads the axis chosen by the block's axis bit; false for any other choice.
  bool SetAxis(const Block* block);
  // One frame for every non-idle axis, in the order x, y, heading, at the
  // stage world's frame step. ownerPos (x, y) is where the heading aims from.
  void Step(float* x, float* y, float* heading, const float* ownerPos);
  void Step(float* x, float* y, float* heading, const float* ownerPos, float step);

  float duration[3] = {0.0f, 0.0f, 0.0f};
  uint32_t mode[3] = {kIdle, kIdle, kIdle};
  float from[3] = {0.0f, 0.0f, 0.0f};
  float to[3] = {0.0f, 0.0f, 0.0f};
  float elapsed[3] = {0.0f, 0.0f, 0.0f};
};
