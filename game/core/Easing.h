#pragma once
// Easing curves (a 0..1 progress turned into a value between two numbers)
// and segments of cubic splines through four control points. Single
// precision throughout; t is not clamped (values outside 0..1 extrapolate).

inline constexpr float kHalfPi = 1.5707964f;
inline constexpr float kPi = 3.1415927f;
inline constexpr float kTwoPi = 6.2831855f;
inline constexpr float kThreeHalfPi = 4.712389f;

// The curves of Interpolate, one function each, (from, to, t).
float EaseLinear(float from, float to, float t);        // type 0 and unknown types
float EaseOutSine(float from, float to, float t);       // types 1 and 4: fast start
float EaseInQuarterTurn(float from, float to, float t); // type 2: slow start
float EaseInSine(float from, float to, float t);        // type 3: slow start
float EaseInOutSine(float from, float to, float t);     // type 5: slow both ends
float EaseInOutCos(float from, float to, float t);      // type 6: the same, with a cosine
float EaseArc(float from, float to, float t);           // type 7: out and back
float EaseArcSmooth(float from, float to, float t);     // type 8: out and back, slow turns
float EaseArcReturn(float from, float to, float t);     // type 9: out smooth, back accelerating
float EaseProgress(float from, float to, float t);      // type 10: 0..1, ignores from and to

// The eased value of curve `type` (0..10; others are linear).
float Interpolate(int type, float from, float to, float t);

// Spline segments: t = 0 at p1, t = 1 at p2.
float EvalBSpline(float t, float p0, float p1, float p2, float p3);
float EvalCatmullRom(float t, float p0, float p1, float p2, float p3);
// Hermite form with tangents scaled by (1 - tension) / 2; tension 0 gives
// the Catmull-Rom tangents.
float EvalCardinal(float t, float tension, float p0, float p1, float p2, float p3);

// Vector forms: x, y and z of the points in turn (a fourth component is not
// touched). out receives 3 floats.
void EvalBSpline(float* out, float t, const float* p0, const float* p1, const float* p2,
                 const float* p3);
void EvalCatmullRom(float* out, float t, const float* p0, const float* p1, const float* p2,
                    const float* p3);
void EvalCardinal(float* out, float t, float tension, const float* p0, const float* p1,
                  const float* p2, const float* p3);

// kind 0 cardinal (with tension), 1 Catmull-Rom, 2 B-spline; any other kind
// leaves out unchanged.
void EvalSplineSegment(float* out, int kind, float t, float tension, const float* p0,
                       const float* p1, const float* p2, const float* p3);
