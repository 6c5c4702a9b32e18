#include "game/enemy/BossKit.h"

#include "game/enemy/EnemyToolkit.h"

EShotGen* AddShotGen(EnemyBase* boss, const float* pos, const ShotGenArgs& a, SObject* holder) {
  return BossGen(boss, pos, holder, a.flags, a.hit, a.codeA, a.codeB, a.angle, a.angleFrom, a.angleTo, a.speedFrom,
                 a.speedTo, a.ways, a.spread, a.rows, a.rowWidth, a.stepFrames, a.steps, a.volleys, a.volleyFrames,
                 a.offsetX, a.offsetY, a.unused, a.muzzle, a.delay, a.motion, a.id, a.last);
}

float* NodePoint(EnemyBase* e, int32_t n) {
  SGpNode* node = e != nullptr ? e->model.GetNode(n) : nullptr;
  if (node == nullptr) {
    // Never written by anybody: a missing node stands at the origin.
    static float origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    origin[0] = origin[1] = origin[2] = 0.0f;
    origin[3] = 1.0f;
    return origin;
  }
  node->SetKeepWorld(1);
  return &node->GetWorld()->m[3][0];
}

void UpdateNodeWorlds(EnemyBase* e) {
  if (e != nullptr) e->PlacementNode()->UpdateKept(nullptr, 0);
}

void PathTo(SplineMover& path, const float* from, const float* to, float frames) {
  const float a[4] = {from[0], from[1], from[2], 1.0f};
  const float b[4] = {to[0], to[1], to[2], 1.0f};
  float ta[4], tb[4];
  CalcSplineTangent(ta, a, a, b, 0.0f, 0.0f);
  CalcSplineTangent(tb, a, b, b, 0.0f, 0.0f);
  path.Clear();
  path.AddKey(a, ta, frames, -1.0f);
  path.AddKey(b, tb, 0.0f, -1.0f);
}

bool DefeatWhenOverTime(EnemyBase* e) {
  if (!BossTimeUp(e)) return false;
  DefeatBoss(e);
  return true;
}
