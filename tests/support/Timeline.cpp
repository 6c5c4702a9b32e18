#include "support/Timeline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace testsupport {

long Timeline::At(int32_t state, int32_t frame) const {
  for (size_t i = 0; i < samples_.size(); ++i) {
    if (samples_[i].state != state) continue;
    const long at = static_cast<long>(i) + frame - 1;
    return at >= 0 && at < static_cast<long>(samples_.size()) ? at : -1;
  }
  return -1;
}

void ExpectSteps(const Timeline& t, const std::vector<TimedStep>& steps) {
  for (const TimedStep& s : steps) {
    const long i = t.At(s.state, s.frame);
    if (i < 1) {
      ADD_FAILURE() << s.what << ": frame " << s.frame << " of state " << s.state << " was never run";
      continue;
    }
    EXPECT_TRUE(s.seen(t, size_t(i))) << s.what << ": not in frame " << s.frame << " of state " << s.state;
    EXPECT_FALSE(s.seen(t, size_t(i - 1))) << s.what << ": already in frame " << s.frame - 1 << " of state "
                                            << s.state;
  }
}

Seen FadeStarts(float to, int32_t frames) {
  return [=](const Timeline& t, size_t i) {
    if (i == 0) return false;
    const float from = t[i - 1].fade;
    return from != to && std::fabs(t[i].fade - (from + (to - from) / static_cast<float>(frames))) < 1e-6f;
  };
}

Seen FadeReaches(float to) {
  return [=](const Timeline& t, size_t i) { return t[i].fade == to && (i == 0 || t[i - 1].fade != to); };
}

Seen FadeOnLayer(int32_t layer) {
  return [=](const Timeline& t, size_t i) { return t[i].fadeLayer == layer && t[i].fade != 1.0f; };
}

Seen StateIs(int32_t state) {
  return [=](const Timeline& t, size_t i) { return t[i].state == state; };
}

Seen ValueIs(int k, float v) {
  return [=](const Timeline& t, size_t i) { return t[i].v[size_t(k)] == v; };
}

Seen Flagged(int k) {
  return [=](const Timeline& t, size_t i) { return t[i].v[size_t(k)] != 0.0f; };
}

}  // namespace testsupport
