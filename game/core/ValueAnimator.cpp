#include "game/core/ValueAnimator.h"

#include <cmath>

void ValueAnimator::Advance(float step) {
  value += step * speed;
  const bool reached = speed >= 0.0f ? !(value < limit) : !(value > limit);
  if (!reached) return;
  if (wrap != 0) {
    ++count;
    // A limit of 0 has no period to wrap by: start over at the start.
    value = limit != 0.0f ? value - std::trunc(value / limit) * limit + start : start;
  } else {
    count = 1;
    value = speed >= 0.0f ? limit - speed : limit + speed;
  }
}

void ValueAnimator::PushState() {
  if (depth != 0 || top_ >= 3) return;
  stack_[top_++] = Saved{start, limit, wrap, speed};
  depth = 1;
}

void ValueAnimator::PopState() {
  if (depth == 0 || top_ <= 0) return;
  const Saved s = stack_[--top_];
  start = s.start;
  limit = s.limit;
  wrap = s.wrap;
  speed = s.speed;
  value = start;
  depth = 0;
}
