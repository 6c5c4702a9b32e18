#pragma once
// Timed steps checked against a record of frames. Each frame of a run leaves
// one sample: the state of what is under test (a scene's state, a rail key),
// the full-screen fade and a few values of the test's choosing. A step names
// the frame of a state on which something is first seen (the state's first
// frame is frame 1); it must hold in that frame and not in the frame before,
// so a step that comes one frame early or late fails.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct Sample {
  int32_t state = -1;  // -1: not running
  float fade = 1.0f;
  int32_t fadeLayer = 0;
  std::array<float, 4> v{};
};

class Timeline {
 public:
  void Add(const Sample& s) { samples_.push_back(s); }
  size_t Size() const { return samples_.size(); }
  const Sample& operator[](size_t i) const { return samples_[i]; }
  // The index of frame `frame` of the first run of `state`, or -1 when the
  // state never came or the record ends before that frame.
  long At(int32_t state, int32_t frame) const;

 private:
  std::vector<Sample> samples_;
};

// Whether something is seen in frame i (given the record up to it).
using Seen = std::function<bool(const Timeline&, size_t)>;

struct TimedStep {
  std::string what;
  int32_t state, frame;
  Seen seen;
};

// Each step holds in its frame and not in the frame before.
void ExpectSteps(const Timeline& t, const std::vector<TimedStep>& steps);

// The fade took its first step from where it stood towards `to` over
// `frames` frames (a linear fade of n frames moves 1/n of the way a frame).
Seen FadeStarts(float to, int32_t frames);
// The fade stands at `to`, and did not in the frame before.
Seen FadeReaches(float to);
// The fade is drawn at draw layer `layer` and stands away from 1.0.
Seen FadeOnLayer(int32_t layer);
Seen StateIs(int32_t state);
// Value k of the sample equals v.
Seen ValueIs(int k, float v);
// Value k is not 0 (a sound started in the frame, a flag).
Seen Flagged(int k);

}  // namespace testsupport
