#include "vrax/graphic/SGpTrackTimer.h"

#include <cmath>

void SGpTrackTimer::Bind(SRsc_Model* object, uint32_t index) {
  object_.Set(object);
  index_ = index;
  length_ = object != nullptr ? object->GetAnimLength(index) : 0.0f;
  time_ = 0.0f;
  loop_ = 1;
  wraps_ = 0;
}

void SGpTrackTimer::Advance(float step) {
  if (!(length_ > 0.0f)) {
    time_ = 0.0f;
    return;
  }
  time_ += step;
  if (!std::isfinite(time_)) time_ = 0.0f;  // a step of no use: restart
  if (!loop_) {
    // An animation that does not loop stops on its last frame (or its
    // first, going backwards) and stays there.
    if (time_ >= length_) {
      time_ = length_;
      wraps_ = 1;
    } else if (time_ < 0.0f) {
      time_ = 0.0f;
    }
    return;
  }
  // Looping: the time runs on from the start, so an animation played at any
  // pace stays in phase; a step over several lengths wraps that many times.
  if (time_ >= length_) {
    const float laps = std::floor(time_ / length_);
    wraps_ += static_cast<int>(std::fmin(laps, 1.0e9f));
    time_ -= laps * length_;
  } else if (time_ < 0.0f) {
    time_ -= std::floor(time_ / length_) * length_;
  }
  // Rounding can leave the time on the length itself: that is the start.
  if (time_ >= length_ || time_ < 0.0f) time_ = 0.0f;
}
