#include "game/enemy/boss06/EnemyType6Cable.h"

#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss06/EnemyType6Arm.h"

namespace {

const float kNowhere[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

EnemyType6Cable::SharedStates::SharedStates() { colour.SetColour(kWhite); }

EnemyType6Cable::SharedStates& EnemyType6Cable::States() {
  static SharedStates states;
  return states;
}

int32_t EnemyType6Cable::Init(SProcArg) {
  SetName("EnemyType6Cable");
  const float* a = anchor != nullptr ? anchor : kNowhere;
  for (int i = 0; i < 3; ++i) current[i] = target[i] = mid[i] = a[i];
  rate = 1.0f;
  visible = 1;
  count = 0;
  prim.AllocPrims(kPoints / 4);
  prim.SetActiveCount(0);
  return 0;
}

void EnemyType6Cable::Aim(float angle, float radius, float k, const float* tilt) {
  AimAround(target, anchor != nullptr ? anchor : kNowhere, angle, radius, tilt);
  rate = k;
  EaseTo(current, target, k);
  for (int i = 0; i < 3; ++i) mid[i] = current[i];
}

void EnemyType6Cable::Rebuild(const float* start, const float* end, float length1, float length2) {
  mover.Clear();
  float t[4];
  mover.AddKey(start, CalcSplineTangent(t, start, start, mid, 0.0f, 0.0f), length1, -1.0f);
  mover.AddKey(mid, CalcSplineTangent(t, start, mid, end, -1.0f, 0.0f), length2, -1.0f);
  mover.AddKey(end, CalcSplineTangent(t, mid, end, end, 0.0f, 0.0f), 0.0f, -1.0f);
  count = 0;
  bool more = mover.Advance(points[0], 1.0f);
  while (more && count < kMaxSamples) {
    ++count;
    more = mover.Advance(points[count], 1.0f);
  }
  mover.Clear();
}

int32_t EnemyType6Cable::Main(SProcArg) {
  static constexpr float kDot[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  prim.Seek(0, 0);
  for (int32_t k = 0; k <= count; ++k) {
    const float* p = points[k];
    const float v[4][2] = {{p[0], p[1] - 2.0f}, {p[0] + 2.0f, p[1]}, {p[0] - 2.0f, p[1]}, {p[0], p[1] + 2.0f}};
    for (int i = 0; i < 4; ++i) {
      if (i == 0) prim.SetColour(kDot);
      prim.SetPos(v[i][0], v[i][1], p[2]);
      prim.Next();
    }
  }
  prim.SetActiveCount(prim.GetCurVertex() / 4);
  return 0;
}

int32_t EnemyType6Cable::Draw(SProcArg) {
  if (visible == 0) return 0;
  SharedStates& s = States();
  s.colour.Enter(kDrawKey);
  prim.Enter(kDrawKey);
  s.end.Enter(kDrawKey);
  return 0;
}
