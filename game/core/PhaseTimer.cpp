#include "game/core/PhaseTimer.h"

#include <cstring>

bool PhaseTimer::Within(int32_t n) {
  if (count_ > n) return false;
  ratio_ = n == 0 ? 1.0f : static_cast<float>(count_) / static_cast<float>(n);
  return true;
}

bool PhaseTimer::Window(int32_t a, int32_t b) {
  if (count_ < a || count_ > b) return false;
  // count - a and b - a as 64-bit differences: no overflow at extreme bounds.
  const int64_t num = static_cast<int64_t>(count_) - a;
  const int64_t den = static_cast<int64_t>(b) - a;
  ratio_ = den == 0 ? 1.0f : static_cast<float>(num) / static_cast<float>(den);
  return true;
}

float PhaseTimer::IsAtStart() const { return ratio_ == 0.0f ? 1.0f : 0.0f; }

float PhaseTimer::IsDone() const {
  const float one = 1.0f;
  return std::memcmp(&ratio_, &one, sizeof one) == 0 ? 1.0f : 0.0f;
}
