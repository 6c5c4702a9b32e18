#include "game/core/Easing.h"

#include <cmath>

float EaseLinear(float from, float to, float t) { return from + (to - from) * t; }

float EaseOutSine(float from, float to, float t) {
  return from + (to - from) * std::sin(t * kHalfPi);
}

float EaseInQuarterTurn(float from, float to, float t) {
  return from + (to - from) * (1.0f - std::cos(t * 0.25f * kTwoPi));
}

float EaseInSine(float from, float to, float t) {
  return from + (to - from) * (1.0f - std::cos(t * kHalfPi));
}

float EaseInOutSine(float from, float to, float t) {
  return from + (to - from) * (std::sin(t * kPi + kThreeHalfPi) + 1.0f) * 0.5f;
}

float EaseInOutCos(float from, float to, float t) {
  return from + (to - from) * (1.0f - (std::cos(t * kPi) + 1.0f) * 0.5f);
}

float EaseArc(float from, float to, float t) { return from + (to - from) * std::sin(t * kPi); }

float EaseArcSmooth(float from, float to, float t) {
  return from + (to - from) * (std::sin(t * kTwoPi + kThreeHalfPi) + 1.0f) * 0.5f;
}

float EaseArcReturn(float from, float to, float t) {
  if (t <= 0.5f) return EaseArcSmooth(from, to, t);
  return to + (from - to) * (1.0f - std::cos((t - 0.5f) * kPi));
}

float EaseProgress(float /*from*/, float /*to*/, float t) {
  if (t < 0.5f) return std::sin(t * kPi) * 0.5f;
  return (2.0f - std::cos((t - 0.5f) * kPi)) * 0.5f;
}

float Interpolate(int type, float from, float to, float t) {
  switch (type) {
    case 1:
    case 4: return EaseOutSine(from, to, t);
    case 2: return EaseInQuarterTurn(from, to, t);
    case 3: return EaseInSine(from, to, t);
    case 5: return EaseInOutSine(from, to, t);
    case 6: return EaseInOutCos(from, to, t);
    case 7: return EaseArc(from, to, t);
    case 8: return EaseArcSmooth(from, to, t);
    case 9: return EaseArcReturn(from, to, t);
    case 10: return EaseProgress(from, to, t);
    default: return EaseLinear(from, to, t);
  }
}

float EvalBSpline(float t, float p0, float p1, float p2, float p3) {
  const float t2 = t * t;
  const float t3 = t2 * t;
  const float w0 = -0.166667f * t3 + 0.5f * t2 - 0.5f * t + 0.166667f;
  const float w1 = 0.5f * t3 - t2 + 0.666667f;
  const float w2 = -0.5f * t3 + 0.5f * t2 + 0.5f * t + 0.166667f;
  const float w3 = 0.166667f * t3;
  return w0 * p0 + w1 * p1 + w2 * p2 + w3 * p3;
}

float EvalCatmullRom(float t, float p0, float p1, float p2, float p3) {
  const float t2 = t * t;
  const float t3 = t2 * t;
  const float w0 = -0.5f * t3 + t2 - 0.5f * t;
  const float w1 = 1.5f * t3 - 2.5f * t2 + 1.0f;
  const float w2 = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
  const float w3 = 0.5f * t3 - 0.5f * t2;
  return w0 * p0 + w1 * p1 + w2 * p2 + w3 * p3;
}

float EvalCardinal(float t, float tension, float p0, float p1, float p2, float p3) {
  const float s = (1.0f - tension) * 0.5f;
  const float m1 = ((p1 - p0) + (p2 - p1)) * s;
  const float m2 = ((p2 - p1) + (p3 - p2)) * s;
  const float t2 = t * t;
  const float t3 = t2 * t;
  return (2.0f * t3 - 3.0f * t2 + 1.0f) * p1 + (-2.0f * t3 + 3.0f * t2) * p2 +
         (t3 - 2.0f * t2 + t) * m1 + (t3 - t2) * m2;
}

void EvalBSpline(float* out, float t, const float* p0, const float* p1, const float* p2,
                 const float* p3) {
  for (int i = 0; i < 3; ++i) out[i] = EvalBSpline(t, p0[i], p1[i], p2[i], p3[i]);
}

void EvalCatmullRom(float* out, float t, const float* p0, const float* p1, const float* p2,
                    const float* p3) {
  for (int i = 0; i < 3; ++i) out[i] = EvalCatmullRom(t, p0[i], p1[i], p2[i], p3[i]);
}

void EvalCardinal(float* out, float t, float tension, const float* p0, const float* p1,
                  const float* p2, const float* p3) {
  for (int i = 0; i < 3; ++i) out[i] = EvalCardinal(t, tension, p0[i], p1[i], p2[i], p3[i]);
}

void EvalSplineSegment(float* out, int kind, float t, float tension, const float* p0,
                       const float* p1, const float* p2, const float* p3) {
  switch (kind) {
    case 0: EvalCardinal(out, t, tension, p0, p1, p2, p3); break;
    case 1: EvalCatmullRom(out, t, p0, p1, p2, p3); break;
    case 2: EvalBSpline(out, t, p0, p1, p2, p3); break;
    default: break;
  }
}
