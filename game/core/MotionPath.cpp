#include "game/core/MotionPath.h"

#include <cmath>

#include "game/core/Easing.h"

void MotionPath::Reset() {
  start = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  end = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<SVec4>().swap(keys);
}

bool MotionPath::SetEnds(const SVec4* s, const SVec4* e) {
  const size_t n = keys.size();
  if (s != nullptr) {
    start = *s;
  } else if (n >= 2) {
    const SVec4& k0 = keys[0];
    const SVec4& k1 = keys[1];
    start = SVec4{k0.x - (k1.x - k0.x), k0.y - (k1.y - k0.y), k0.z - (k1.z - k0.z), k0.w};
  } else {
    start = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
    return false;
  }
  if (e != nullptr) {
    end = *e;
  } else if (n >= 2) {
    const SVec4& a = keys[n - 1];
    const SVec4& b = keys[n - 2];
    end = SVec4{a.x + (a.x - b.x), a.y + (a.y - b.y), a.z + (a.z - b.z), a.w};
  } else {
    end = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  }
  return true;
}

bool MotionPath::Evaluate(float* out, int32_t i, float t) const {
  const int32_t n = KeyCount();
  if (i < 0 || i > n - 2) return false;
  const SVec4* p0 = i == 0 ? &start : &keys[static_cast<size_t>(i) - 1];
  const SVec4* p1 = &keys[static_cast<size_t>(i)];
  const SVec4* p2 = &keys[static_cast<size_t>(i) + 1];
  // The last two segments both take the end point as their fourth point.
  const SVec4* p3 = i + 2 < n - 1 ? &keys[static_cast<size_t>(i) + 2] : &end;
  EvalSplineSegment(out, static_cast<int>(kind), t, tension, &p0->x, &p1->x, &p2->x, &p3->x);
  return true;
}

namespace {
float Chord(const float* a, const float* b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
}  // namespace

float MotionPath::FindDistance(int32_t segment, float t0, float dt, float target, float tolerance,
                               float* accumulated) const {
  if (!(dt > 0.0f)) return -1.0f;
  float prev[3] = {0.0f, 0.0f, 0.0f};
  if (!Evaluate(prev, segment, t0)) return -1.0f;
  float t = t0;
  for (;;) {
    const float lastT = t;
    if (lastT >= 1.0f) return 1.0f;
    t = lastT + dt;
    if (t >= 1.0f) t = 1.0f;
    float p[3] = {0.0f, 0.0f, 0.0f};
    Evaluate(p, segment, t);
    const float chord = Chord(p, prev);
    *accumulated += chord;
    if (*accumulated >= target) {
      if (!(*accumulated - target > tolerance)) return t;
      *accumulated -= chord;
      if (!(dt * 0.1f > 0.00001f)) return t;
      return FindDistance(segment, lastT, dt * 0.1f, target, tolerance, accumulated);
    }
    prev[0] = p[0];
    prev[1] = p[1];
    prev[2] = p[2];
  }
}

bool MotionPath::Advance(int32_t* outSegment, float* outT, int32_t segment, float t,
                         float distance) const {
  const int32_t last = KeyCount() - 2;  // the last segment
  if (last < 0) return false;
  for (;;) {
    if (segment > last) {
      // Advanced past the last segment: stop at the end of the path.
      *outSegment = last;
      *outT = 1.0f;
      return false;
    }
    if (segment < 0) {
      segment = 0;
      t = 0.0f;
    }
    float accumulated = 0.0f;
    const float r = FindDistance(segment, t, 0.1f, distance, 0.001f, &accumulated);
    if (r < 1.0f) {
      *outSegment = segment;
      if (r >= 0.0f) {
        *outT = r;
        return true;
      }
      *outT = 1.0f;
      return true;
    }
    if (segment == last) {
      *outSegment = last;
      *outT = 1.0f;
      return false;
    }
    distance -= accumulated;
    segment += 1;
    t = 0.0f;
  }
}
