#pragma once
// A path through a growable array of points, evaluated segment by segment
// with one of three cubic spline kinds (0 cardinal with a tension,
// 1 Catmull-Rom, 2 B-spline). The start and end points are the phantom
// neighbours of the first and last key.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SMath.h"

class MotionPath {
 public:
  MotionPath() { Reset(); }

  // Start and end points (0, 0, 0, 1); no keys.
  void Reset();
  void AddKey(const SVec4& p) { keys.push_back(p); }
  int32_t KeyCount() const { return static_cast<int32_t>(keys.size()); }

  // Each end: the given point, else the first (last) key mirrored through
  // its neighbour, else (0, 0, 0, 1). False when no start point can be had
  // (fewer than 2 keys and none given); the end point is then left as is.
  bool SetEnds(const SVec4* start, const SVec4* end);
  // The point at parameter t of segment i (0 .. KeyCount() - 2) into out
  // (x, y, z). False, nothing written, for a segment out of range.
  bool Evaluate(float* out, int32_t segment, float t) const;
  // Moves from (segment, t) along the path by an arc length (chords of
  // evaluated points) and writes where it arrives. True when it found a
  // point within the path; when the path ends first, out is the end of the
  // last segment (t = 1.0) and the result is false.
  bool Advance(int32_t* outSegment, float* outT, int32_t segment, float t, float distance) const;
  // The parameter at which the chord length from t0 reaches target within
  // segment, searching in steps of dt refined tenfold down to 1e-5; 1.0 when
  // the segment ends first, -1.0 for a dt of 0 or less. *accumulated
  // receives the length walked.
  float FindDistance(int32_t segment, float t0, float dt, float target, float tolerance,
                     float* accumulated) const;

  SVec4 start{};
  SVec4 end{};
  std::vector<SVec4> keys;
  uint32_t kind = 0;
  float tension = 0.0f;
};
