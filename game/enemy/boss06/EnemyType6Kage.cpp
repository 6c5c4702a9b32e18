#include "game/enemy/boss06/EnemyType6Kage.h"

#include <algorithm>

#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/tables/enemy_tables.h"

int32_t EnemyType6Kage::Init(SProcArg arg) {
  SetName("B004::Kage");
  static constexpr float kOrigin[3] = {0.0f, 0.0f, 0.0f};
  *node.GetLocal() = kIdentityMatrix;
  if (model.BindUnder(MdlEnemyBs04.Get(), &node, kOrigin) == 0) position = &node.GetLocal()->m[3][0];
  limit = model.Length();
  for (int i = 0; i < 4; ++i) current[i] = target[i] = position[i];
  rate = 1.0f;
  flicker = int32_t(arg);
  time = limit < 0.0f ? limit : 0.0f;
  model.PoseAt(time);
  visible = 1;
  return 0;
}

void EnemyType6Kage::Glide(const float* point, float k) {
  for (int i = 0; i < 3; ++i) target[i] = point[i];
  rate = k;
  if (k != 1.0f) return;
  for (int i = 0; i < 3; ++i) current[i] = position[i] = target[i];
}

void EnemyType6Kage::TakeMotion(const RouteEntry* e) {
  if (e == nullptr) return;
  motion.start = e->from;
  motion.limit = e->to;
  motion.value = e->from;
  motion.wrap = e->wrap;
  motion.speed = e->speed;
  motion.count = 0;
}

int32_t EnemyType6Kage::Main(SProcArg) {
  if (visible == 0) return 0;
  for (int i = 0; i < 3; ++i) position[i] = current[i] += (target[i] - current[i]) * rate;
  motion.Advance(EObjBase::TimerStep());
  time = std::clamp(motion.value, 0.0f, std::max(limit, 0.0f));
  model.PoseAt(time);
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t EnemyType6Kage::Draw(SProcArg) {
  if (visible == 0) return 0;
  if (flicker != 0) {
    if (model.GetRootNode() != nullptr) model.Enter(kDrawKey);
    ResetRotation(node.GetLocal());
    RotateLeft(node.GetLocal(), 0, 0.1f);
  }
  flicker = 1 - flicker;
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}
