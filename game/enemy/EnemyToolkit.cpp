#include "game/enemy/EnemyToolkit.h"

#include <cmath>

#include "game/enemy/EnemySet.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/resource/SImageSlot.h"

const EShotMotion* ParamTable::FindValue(int32_t id) {
  if (id == -1) return nullptr;
  const std::vector<PatternList>* paths = g_EnemySet.Paths();
  if (paths == nullptr || paths->empty()) return nullptr;
  for (const PatternList& p : *paths)
    if (p.id == id) return p.First();
  return nullptr;
}

float* CalcSplineTangent(float* out, const float* p0, const float* p1, const float* p2, float t, float b) {
  const float ka = (1.0f + b) * (1.0f - t) / 2.0f;
  const float kb = (1.0f - b) * (1.0f - t) / 2.0f;
  for (int i = 0; i < 3; ++i) out[i] = (p1[i] - p0[i]) * ka + (p2[i] - p1[i]) * kb;
  out[3] = 1.0f;
  return out;
}

bool Vec3Equal(const float* a, const float* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

void ResetRotation(SMatrix* m) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m->m[r][c] = r == c ? 1.0f : 0.0f;
}

void RotateLeft(SMatrix* m, int axis, float turns) {
  const float a = turns * 6.2831855f;
  const float c = std::cos(a), s = std::sin(a);
  // The two rows the rotation mixes, and the sign of the sine in each.
  const int i = axis == 0 ? 1 : axis == 1 ? 2 : 0;
  const int j = axis == 0 ? 2 : axis == 1 ? 0 : 1;
  // R has R[i][i] = c, R[i][j] = s, R[j][i] = -s, R[j][j] = c: row i of R x m
  // is c m[i] + s m[j], row j is -s m[i] + c m[j].
  for (int k = 0; k < 4; ++k) {
    const float mi = m->m[i][k], mj = m->m[j][k];
    m->m[i][k] = c * mi + s * mj;
    m->m[j][k] = -s * mi + c * mj;
  }
}

void EnterPartTexture(const SGpRect* part, int32_t key) {
  if (part == nullptr) return;
  if (SGpState_Texture* t = part->GetTexture()) t->Enter(key);
}
