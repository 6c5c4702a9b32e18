#include "game/effect/EfxMath.h"

#include <cmath>
#include <cstring>

#include "game/core/Game.h"
#include "game/core/MotionParam.h"


const int32_t DirSignTable[8] = {-1, -1, -1, 1, 1, 1, 0, 0};

SMatrix* GetSharedMatrix(SMatrix* out, int32_t n) { return SMatrix::SetPreset(out, n); }

void CopyMatrix(SMatrix* out, const SMatrix* in) { std::memcpy(out, in, sizeof(SMatrix)); }

SMatrix* MatrixRotateX(SMatrix* m, float turns) { return RotateX(m, m, turns); }

SMatrix* MatrixRotateZ(SMatrix* m, float turns) { return RotateZ(m, m, turns); }

SMatrix* MatrixRotateYXZ(SMatrix* out, const SMatrix* base, float ax, float ay, float az) {
  SMatrix r;
  RotateY(&r, base, ay);
  RotateX(&r, &r, ax);
  RotateZ(out, &r, az);
  return out;
}

float AngleToPlayer(float x, float y) { return AimAtPlayer(x, y); }

bool Vec4Differs(const float* a, const float* b) {
  for (int i = 0; i < 4; ++i)
    if (!(a[i] == b[i])) return true;
  return false;
}

void Vec4Set(float* v, float x, float y, float z, float w) {
  v[0] = x, v[1] = y, v[2] = z, v[3] = w;
}

int32_t GetDirSign() {
  const Game* g = GetGame();
  if (g == nullptr) return 0;
  const int32_t i = g->GetViewMode();
  return (i >= 0 && i < 8) ? DirSignTable[i] : 0;
}

float DepthScale(float z) {
  float d = z + 512.0f;
  if (!(d >= 1.0f)) d = 1.0f;
  return 512.0f / d;
}

float EaseHalfCosine(float a, float b, float t) {
  return a + (b - a) * (0.5f - 0.5f * std::cos(3.1415927f * t));
}
